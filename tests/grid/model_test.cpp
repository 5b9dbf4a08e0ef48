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
      [&] {
        g.SetColumnTexts(1, 2, {"a"}, {0, 0});
      },
      [&] { g.SetColumnTexts(3, 0, {"a"}, {0}); },
      [&] { g.SetColumnTexts(1, 0, {"a"}, {1}); },
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

TEST(GridCells, LongTextsAndTags) {
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
}

}  // namespace
}  // namespace grid
