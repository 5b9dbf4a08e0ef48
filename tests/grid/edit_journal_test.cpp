// Undo and redo of grid edits through the edit journal: every edit the
// desktop offers must come back exactly, redo must give the edited grid
// again, and a journal must hold what changed, not a copy of the grid.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "grid/edit_journal.h"
#include "grid/report_grid.h"
#include "reports/custom_ranking.h"

namespace grid {
namespace {

// Everything a user can see of a grid, with styles by value (the style table
// only grows, so indexes may differ while the looks are the same).
struct Snapshot {
  std::vector<std::string> texts, tags;
  std::vector<CellStyle> styles;
  std::vector<ColumnInfo> columns;
  std::vector<int> heights;
  std::vector<CellRect> merges;
  int fixed_rows, fixed_cols;
  bool row_index, user_sort;
  Font font;
  ReportTitleList titles;
  PageSettings page;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const ReportGrid& g) {
  Snapshot s{{},
             {},
             {},
             {},
             {},
             g.Merges(),
             g.FixedRows(),
             g.FixedCols(),
             g.DisplayRowIndex(),
             g.AllowUserSort(),
             g.DefaultFont(),
             g.ReportTitles(),
             g.PageSetup()};
  for (int r = 0; r < g.Rows(); ++r) {
    s.heights.push_back(g.RowHeight(r));
    for (int c = 0; c < g.Cols(); ++c) {
      s.texts.emplace_back(g.CellText(r, c));
      s.tags.emplace_back(g.CellTag(r, c));
      s.styles.push_back(g.CellStyleAt(r, c));
    }
  }
  for (int c = 0; c < g.Cols(); ++c) s.columns.push_back(g.ColumnAt(c));
  return s;
}

// A small statistics report: a header, a 合计 row kept fixed, five classes,
// a merge, a bold column, a tag and a number format.
ReportGrid Report() {
  ReportGrid g(1, 5);
  for (const char* line :
       {"\t班级\t人数\t平均分\t名次", "\t合计\t250\t78.2\t", "\t一班\t50\t81.5\t",
        "\t二班\t48\t77\t", "\t三班\t52\t79.25\t", "\t四班\t50\t72\t", "\t五班\t50\t80\t"})
    g.AddItem(line);
  g.SetFixedRows(2);
  g.Range(3, 3, 4, 4).Merge();
  g.Range(1, 2, 7, 2).SetFontBold(true);
  g.SetCellTag(3, 0, "U");
  g.Column(3).SetFormatString("0.00");
  g.Range(5, 1, 5, 4).SetLocked(true);
  g.ReportTitles().Add("成绩统计表", "宋体", 14);
  return g;
}

struct Edit {
  const char* what;
  std::function<void(ReportGrid&)> apply;
};

// Each edit is one user action of the desktop; the reason is in the name.
const std::vector<Edit>& Edits() {
  static const std::vector<Edit> edits = {
      {"the same cell edited twice comes back to its first text",
       [](ReportGrid& g) {
         g.SetCellText(3, 2, "49");
         g.SetCellText(3, 2, "47");
       }},
      {"bold over cells of two different styles",
       [](ReportGrid& g) { g.Range(2, 1, 6, 3).SetFontBold(false); }},
      {"inner borders change the facing sides of neighbouring cells",
       [](ReportGrid& g) {
         GridRange r = g.Range(2, 1, 4, 3);
         r.SetBorders(kEdgeInsideHorizontal, kLineThin);
         r.SetBorders(kEdgeInsideVertical, kLineThick);
       }},
      {"rows inserted inside a merge grow it", [](ReportGrid& g) { g.InsertRow(4, 2); }},
      {"deleting below the fixed rows clamps them",
       [](ReportGrid& g) {
         g.SetFixedRows(7);
         g.DeleteRows(2, 5);
       }},
      {"columns inserted and deleted keep widths, formats and styles",
       [](ReportGrid& g) {
         g.InsertCol(2);
         g.SetColWidth(2, 90);
         g.DeleteCols(3, 2);
       }},
      {"a sort below the fixed 合计 row", [](ReportGrid& g) { g.Sort(3, false); }},
      {"user sorting switched on and used twice",
       [](ReportGrid& g) {
         g.SetAllowUserSort(true);
         g.UserSort(2);
         g.UserSort(2);
       }},
      {"shrinking the grid trims merges and drops rows and columns",
       [](ReportGrid& g) {
         g.SetRows(4);
         g.SetCols(3);
       }},
      {"cut leaves locked cells, paste writes from the active cell",
       [](ReportGrid& g) {
         g.Select({4, 1, 5, 3});
         g.Selection().CutData();
         g.Select({6, 2, 6, 2});
         g.Selection().PasteData();
       }},
      {"merge over an existing merge, then unmerge",
       [](ReportGrid& g) {
         g.Range(2, 1, 5, 2).Merge();
         g.Range(6, 1, 6, 2).Merge();
         g.Range(6, 1, 6, 1).SetMergeCells(false);
       }},
      {"titles and page setup edited through their references",
       [](ReportGrid& g) {
         g.ReportTitles().Clear();
         g.ReportTitles().Add("期中考试", "黑体", 16);
         g.PageSetup().orientation = kLandscape;
         g.PageSetup().top_margin = 2.5;
       }},
      {"a column's texts set at once, short and pooled ones",
       [](ReportGrid& g) {
         g.SetColumnTexts(2, 2, {"第一个长的班级名称", "50", ""}, {0, 1, 2, 1, 0, 2});
       }},
      {"rows appended and tags set",
       [](ReportGrid& g) {
         g.AddItem("\t六班\t49\t75");
         g.SetCellTag(8, 0, "N");
         g.SetCellTag(3, 0, "");
       }},
      {"选定的列排名 sorts, inserts a rank column and sorts back as one action",
       [](ReportGrid& g) { reports::RankSelectedColumn(g, 3); }},
  };
  return edits;
}

class EditJournalTest : public testing::TestWithParam<std::size_t> {};

TEST_P(EditJournalTest, UndoRestoresRedoReappliesAndBothRepeat) {
  const Edit& edit = Edits()[GetParam()];
  ReportGrid g = Report();
  const Snapshot before = Take(g);
  EditJournal journal;
  g.AttachJournal(&journal);
  edit.apply(g);
  g.AttachJournal(nullptr);
  const Snapshot after = Take(g);
  ASSERT_NE(before, after) << edit.what;

  EditJournal redo = g.Revert(std::move(journal));
  EXPECT_EQ(Take(g), before) << edit.what;
  EditJournal undo = g.Revert(std::move(redo));
  EXPECT_EQ(Take(g), after) << edit.what;
  g.Revert(std::move(undo));
  EXPECT_EQ(Take(g), before) << edit.what;
}

INSTANTIATE_TEST_SUITE_P(EveryEdit, EditJournalTest,
                         testing::Range<std::size_t>(0, Edits().size()));

// A report of a province: the journal must keep what changed, not the grid.
// Each edit gets a journal of its own.
TEST(JournalSizeTest, EachEditKeepsWhatItChangedNotTheGrid) {
  constexpr int kRows = 200000;
  ReportGrid g(1, 8);
  for (int r = 1; r <= kRows; ++r)
    g.AddItem("\t学生" + std::to_string(r) + "\t" + std::to_string(r % 150) + "\t1\t2\t3\t4\t5",
              false);
  const auto journal_of = [&g](const std::function<void()>& edit) {
    EditJournal journal;
    g.AttachJournal(&journal);
    edit();
    g.AttachJournal(nullptr);
    return journal;
  };
  EXPECT_LT(journal_of([&] { g.SetCellText(100000, 2, "99"); }).Bytes(), 256u) << "one cell";
  // A sort keeps a permutation of four bytes a row.
  EditJournal sort = journal_of([&] { g.Sort(2, false); });
  EXPECT_LT(sort.Bytes(), kRows * 4u + 1024u);
  g.Revert(std::move(sort));
  EXPECT_EQ(g.CellText(1, 1), "学生1");  // the sort put a 149 first; undone, row 1 is back
  EXPECT_LT(journal_of([&] { g.DeleteRows(500, 3); }).Bytes(),
            3 * (8 * sizeof(GridContents::Cell) + 64) + 1024u)
      << "only the deleted rows";
  EXPECT_LT(journal_of([&] { g.Range(1, 2, kRows - 3, 2).SetFontBold(true); }).Bytes(), kRows * 16u)
      << "four bytes a cell plus its position";
}

// The desktop compares revisions to notice a change made outside its undo
// history; a false "unchanged" would let an undo corrupt the report.
TEST(GridRevision, MovesOnEveryChangeButNotOnSelection) {
  ReportGrid g(5, 5);
  GridRevision r0 = g.Revision();
  g.Select({1, 1, 3, 3});
  EXPECT_EQ(g.Revision(), r0);
  g.SetCellText(1, 1, "x");
  GridRevision r1 = g.Revision();
  EXPECT_NE(r1, r0);
  g.SetColMask(2, kMaskNumber);  // no notification, still a change
  EXPECT_NE(g.Revision(), r1);
}

TEST(GridRevision, ContentsMovedInTakeARevisionNoGridHadBefore) {
  ReportGrid target(3, 3);
  ReportGrid source(3, 3);
  const GridRevision target_before = target.Revision();
  const GridRevision source_before = source.Revision();
  target = std::move(source);
  EXPECT_NE(target.Revision(), target_before);
  EXPECT_NE(target.Revision(), source_before);
  ReportGrid other(2, 2);
  const GridRevision replaced = target.Revision();
  target.ReplaceContents(std::move(other));
  EXPECT_NE(target.Revision(), replaced);
}

}  // namespace
}  // namespace grid
