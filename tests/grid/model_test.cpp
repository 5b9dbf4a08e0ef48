#include <gtest/gtest.h>

#include "grid/report_grid.h"

namespace grid {
namespace {

ReportGrid FilledGrid(int data_rows, int cols) {
  ReportGrid g(1, cols);
  for (int r = 1; r <= data_rows; ++r) {
    std::string line;
    for (int c = 0; c < cols; ++c) line += (c ? "\t" : "") + std::to_string(r * 10 + c);
    g.AddItem(line);
  }
  return g;
}

TEST(GridShape, SettingRowsToOneKeepsOnlyTheHeaderRow) {
  ReportGrid g = FilledGrid(5, 3);
  g.SetCellText(0, 1, "姓名");
  g.Range(2, 1, 3, 2).Merge();
  g.SetRows(1);
  EXPECT_EQ(g.Rows(), 1);
  EXPECT_EQ(g.CellText(0, 1), "姓名");
  EXPECT_TRUE(g.Merges().empty());
  g.SetRows(3);
  EXPECT_EQ(g.CellText(2, 1), "");
}

TEST(GridShape, AddItemSplitsAtTabsAndDropsExtraFields) {
  ReportGrid g(1, 3);
  g.AddItem("a\tb\tc\td");
  g.AddItem("x");
  g.AddItem("\t\tz");
  ASSERT_EQ(g.Rows(), 4);
  EXPECT_EQ(g.CellText(1, 2), "c");
  EXPECT_EQ(g.CellText(2, 0), "x");
  EXPECT_EQ(g.CellText(2, 1), "");
  EXPECT_EQ(g.CellText(3, 2), "z");
}

TEST(GridShape, OutOfRangeIsRefused) {
  ReportGrid g(3, 3);
  const std::vector<std::function<void()>> misuses = {
      [&] { g.CellText(3, 0); },
      [&] { g.CellText(0, -1); },
      [&] { g.SetCellText(-1, 0, "x"); },
      [&] { g.SetRowHeight(9, 10); },
      [&] { g.Column(3); },
      [&] { g.Range(0, 0, 3, 0); },
      [&] { g.InsertRow(5); },
      [&] { g.DeleteRows(2, 2); },
      [&] { g.DeleteCols(0, 3); },
      [&] { g.SetRows(0); },
      [&] { g.SetFixedRows(4); },
      [&] { g.Sort(7, true); },
      [&] { g.SetColWidth(1, -1); },
      [&] { g.SetDefaultFontSize(0); },
      [&] { g.Range(0, 0, 1, 1).SetBorders(8, 1); },
      [&] { g.Range(0, 0, 1, 1).SetAlignment(8); },
      [&] { g.ReportTitles().Item(0); },
  };
  for (std::size_t i = 0; i < misuses.size(); ++i)
    EXPECT_THROW(misuses[i](), GridError) << "case " << i;
  EXPECT_EQ(g.Rows(), 3);
  EXPECT_EQ(g.Cols(), 3);
}

TEST(GridShape, InsertAndDeleteMoveCellsAndMerges) {
  ReportGrid g = FilledGrid(6, 4);
  g.Range(2, 1, 4, 2).Merge();
  g.InsertRow(3, 2);  // inside the merge: it grows
  EXPECT_EQ(g.CellText(5, 1), "31");
  ASSERT_EQ(g.Merges().size(), 1u);
  EXPECT_EQ(g.Merges()[0], (CellRect{2, 1, 6, 2}));
  g.DeleteRows(1, 2);  // takes the merge's first row
  EXPECT_EQ(g.Merges()[0], (CellRect{1, 1, 4, 2}));
  g.InsertCol(0);
  EXPECT_EQ(g.Merges()[0], (CellRect{1, 2, 4, 3}));
  EXPECT_EQ(g.CellText(0, 0), "");
  g.DeleteCols(2, 2);  // the whole merge
  EXPECT_TRUE(g.Merges().empty());
  EXPECT_EQ(g.Cols(), 3);
}

TEST(GridSelection, InsertAndDeleteActOnTheSelectedRowsAndColumns) {
  ReportGrid g = FilledGrid(5, 4);
  g.Range(2, 1, 3, 2).Select();
  g.Selection().InsertRows();
  EXPECT_EQ(g.Rows(), 8);
  EXPECT_EQ(g.CellText(4, 1), "21");
  g.Selection().DeleteByRow();
  EXPECT_EQ(g.Rows(), 6);
  EXPECT_EQ(g.CellText(2, 1), "21");
  g.Selection().DeleteByCol();
  EXPECT_EQ(g.Cols(), 2);
  EXPECT_EQ(g.CellText(2, 1), "23");
}

TEST(GridStyles, SelectionStyleMembersApplyToEveryCell) {
  ReportGrid g = FilledGrid(300, 4);
  g.Range(1, 1, 300, 3).Select();
  auto sel = g.Selection();
  sel.SetFontBold(true);
  sel.SetFontName("Arial");
  sel.SetFontSize(12);
  sel.SetBackColor(0xFFFF00);
  sel.SetForeColor(0xFF0000);
  sel.SetAlignment(kAlignCenter);
  sel.SetWrapText(true);
  sel.SetLocked(true);
  for (int r = 1; r <= 300; ++r)
    for (int c = 1; c <= 3; ++c) {
      const CellStyle& s = g.CellStyleAt(r, c);
      EXPECT_TRUE(s.bold && s.wrap_text && s.locked);
      EXPECT_EQ(s.font_name, "Arial");
      EXPECT_EQ(s.back_color, 0xFFFF00u);
      EXPECT_EQ(s.alignment, kAlignCenter);
    }
  EXPECT_FALSE(g.CellStyleAt(0, 0).bold);
  EXPECT_FALSE(g.CellStyleAt(1, 0).bold);
  // 900 cells share one style; the table holds at most one per setter call.
  EXPECT_LE(g.Styles().size(), 9u);
  EXPECT_EQ(g.CellStyleIndex(1, 1), g.CellStyleIndex(3, 3));
}

TEST(GridStyles, BoldToggleFollowsTheActiveCell) {
  ReportGrid g = FilledGrid(3, 3);
  g.Range(1, 1, 2, 2).Select();
  g.Selection().SetFontBold(!g.ActiveCell().Bold());
  EXPECT_TRUE(g.CellStyleAt(2, 2).bold);
  g.Selection().SetFontBold(!g.ActiveCell().Bold());
  EXPECT_FALSE(g.CellStyleAt(2, 2).bold);
}

TEST(GridStyles, BordersOfASelection) {
  ReportGrid g = FilledGrid(4, 4);
  auto box = g.Range(1, 1, 3, 3);
  for (int edge : {0, 1, 2, 3}) box.SetBorders(edge, kLineThick);
  box.SetBorders(kEdgeInsideVertical, kLineThin);
  box.SetBorders(kEdgeInsideHorizontal, kLineThin);
  box.SetBorders(kEdgeDiagonalDown, kLineThin);
  EXPECT_EQ(g.CellStyleAt(1, 1).borders[kEdgeLeft], kLineThick);
  EXPECT_EQ(g.CellStyleAt(1, 1).borders[kEdgeRight], kLineThin);
  EXPECT_EQ(g.CellStyleAt(2, 2).borders[kEdgeLeft], kLineThin);
  EXPECT_EQ(g.CellStyleAt(3, 3).borders[kEdgeBottom], kLineThick);
  EXPECT_EQ(g.CellStyleAt(2, 3).borders[kEdgeRight], kLineThick);
  EXPECT_EQ(g.CellStyleAt(2, 2).borders[kEdgeDiagonalDown], kLineThin);
  EXPECT_EQ(box.Borders(kEdgeRight), kLineThick);
  EXPECT_EQ(box.Borders(kEdgeInsideHorizontal), kLineThin);
  // Clearing all eight edges leaves no line anywhere.
  for (int edge = 0; edge < kEdgeCount; ++edge) box.SetBorders(edge, kLineNone);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c)
      for (auto line : g.CellStyleAt(r, c).borders) EXPECT_EQ(line, kLineNone);
}

TEST(GridStyles, AlignmentCodes) {
  struct Case {
    int code;
    HAlign h;
    VAlign v;
  };
  for (const Case& c :
       {Case{5, HAlign::kLeft, VAlign::kTop}, Case{10, HAlign::kCenter, VAlign::kMiddle},
        Case{15, HAlign::kRight, VAlign::kBottom}, Case{7, HAlign::kLeft, VAlign::kBottom},
        Case{13, HAlign::kRight, VAlign::kTop}}) {
    EXPECT_TRUE(IsValidAlignment(c.code));
    EXPECT_EQ(HorizontalOf(c.code), c.h) << c.code;
    EXPECT_EQ(VerticalOf(c.code), c.v) << c.code;
  }
  for (int bad : {4, 8, 12, 16, -1}) EXPECT_FALSE(IsValidAlignment(bad)) << bad;
}

TEST(GridColumns, WidthsHeightsAndAutoFit) {
  ReportGrid g(1, 3);
  g.AddItem("1\t语文成绩统计表\tabc");
  g.SetColWidth(1, 0);
  g.SetRowHeight(1, 0);
  EXPECT_EQ(g.ColWidth(1), 0);
  EXPECT_EQ(g.RowHeight(1), 0);
  g.Column(1).AutoFit();
  g.Column(2).AutoFit();
  // Seven CJK characters take as much room as fourteen narrow ones.
  EXPECT_GT(g.ColWidth(1), 2 * g.ColWidth(2));
  EXPECT_EQ(DisplayColumns("语文ab"), 6);
  EXPECT_EQ(DisplayColumns("ab\n语文成绩"), 8);
}

TEST(GridColumns, NumberMaskAcceptsOnlyNumbers) {
  ReportGrid g(2, 3);
  g.Column(2).SetMask(kMaskNumber);
  EXPECT_TRUE(g.AcceptsInput(2, "85.5"));
  EXPECT_TRUE(g.AcceptsInput(2, ""));
  EXPECT_FALSE(g.AcceptsInput(2, "85分"));
  EXPECT_TRUE(g.AcceptsInput(1, "85分"));
}

TEST(GridDisplay, RowIndexAndColumnFormat) {
  ReportGrid g(1, 3);
  g.SetCellText(0, 2, "2024");
  g.AddItem("U\t学生\t66.666666");
  g.Column(2).SetFormatString("0.00");
  g.SetDisplayRowIndex(true);
  EXPECT_EQ(g.DisplayText(1, 0), "1");
  EXPECT_EQ(g.DisplayText(1, 2), "66.67");
  EXPECT_EQ(g.CellText(1, 2), "66.666666");
  EXPECT_EQ(g.DisplayText(0, 2), "2024");  // headers are never formatted
}

TEST(GridNotify, AutoRedrawBatchesChanges) {
  ReportGrid g(2, 2);
  std::vector<GridChange> heard;
  int id = g.Subscribe([&](GridChange c) { heard.push_back(c); });
  g.SetCellText(1, 1, "a");
  ASSERT_EQ(heard.size(), 1u);
  g.SetAutoRedraw(false);
  for (int i = 0; i < 100; ++i) g.AddItem("x");
  g.SetCellText(1, 1, "b");
  g.Range(1, 1, 2, 1).Select();  // selection changes are never held back
  EXPECT_EQ(heard.size(), 2u);
  g.SetAutoRedraw(true);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard.back(), GridChange::kAll);
  g.AddItem("quiet", false);
  EXPECT_EQ(heard.size(), 3u);
  g.Unsubscribe(id);
  g.Refresh();
  EXPECT_EQ(heard.size(), 3u);
}

TEST(GridNotify, ReplaceContentsKeepsObservers) {
  ReportGrid g(2, 2);
  int heard = 0;
  g.Subscribe([&](GridChange) { ++heard; });
  ReportGrid other(5, 3);
  other.SetCellText(4, 2, "新");
  g.ReplaceContents(std::move(other));
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(g.CellText(4, 2), "新");
  g.SetCellText(0, 0, "x");
  EXPECT_EQ(heard, 2);
}

TEST(GridCells, LongTextsTagsAndTitles) {
  ReportGrid g(2, 2);
  const std::string long_text(100, 'x');
  g.SetCellText(1, 1, long_text);
  g.SetCellText(1, 0, "short");
  g.Cell(1, 0).SetTag("U");
  ReportGrid copy = g;
  g.SetCellText(1, 1, g.CellText(1, 1).substr(0, 20));  // assigns from its own storage
  EXPECT_EQ(copy.CellText(1, 1), long_text);
  EXPECT_EQ(g.CellText(1, 1), long_text.substr(0, 20));
  EXPECT_EQ(g.Cell(1, 0).Tag(), "U");
  EXPECT_EQ(g.Cell(1, 1).Tag(), "");

  auto& t = g.ReportTitles().Add("甲校||2024-06-01", "Arial", 10);
  t.align_to = 1;
  EXPECT_EQ(t.Parts(), (std::pair<std::string, std::string>{"甲校", "2024-06-01"}));
  EXPECT_EQ(ExpandPageFields("共&n页  第&p页", 2, 5), "共5页  第2页");
  EXPECT_EQ(g.PageSetup().RepeatedTopRows(g.FixedRows()), 1);
  g.PageSetup().paper_width = 100;
  EXPECT_EQ(g.PageSetup().CurrentPaperIndex(), static_cast<int>(StandardPapers().size()) - 1);
}

}  // namespace
}  // namespace grid
