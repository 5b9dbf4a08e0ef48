// Page breaks as arithmetic: no painter, no fonts.
#include "render/pagination.h"

#include <gtest/gtest.h>

namespace {

using render::BreakIntoPages;
using render::Pagination;
using Starts = std::vector<std::size_t>;

TEST(BreakIntoPages, FillsPagesGreedilyWithASmallerFirstPage) {
  std::vector<double> rows(10, 20);
  EXPECT_EQ(BreakIntoPages(rows, 100, 100), (Starts{0, 5}));
  EXPECT_EQ(BreakIntoPages(rows, 60, 100), (Starts{0, 3, 8}));
  EXPECT_EQ(BreakIntoPages(rows, 99.9, 1000), (Starts{0, 4}));
  EXPECT_EQ(BreakIntoPages({}, 100, 100), Starts{});
}

// A grid whose page holds exactly `rows_per_page` body rows of 20 px under
// a 32 px header: A4 is 1122.5 px tall; margins take the rest.
grid::ReportGrid GridWithRoom(int data_rows, int rows_per_page) {
  grid::ReportGrid g(data_rows + 1, 3);
  g.SetRowHeight(0, 32);
  double content = 32 + 20.0 * rows_per_page + 10;
  double margin_cm = (render::MmToPx(297) - content) / 2 / render::CmToPx(1);
  g.PageSetup().top_margin = g.PageSetup().bottom_margin = margin_cm;
  return g;
}

TEST(Pagination, RowsPerPageFollowMarginsAndRepeatedHeader) {
  grid::ReportGrid g = GridWithRoom(100, 30);
  Pagination pages(g);
  ASSERT_EQ(pages.PageCount(), 4);
  EXPECT_EQ(pages.Page(0).rows.size(), 30u);
  EXPECT_EQ(pages.Page(0).rows.front(), 1);
  EXPECT_EQ(pages.Page(3).rows.size(), 10u);
  EXPECT_EQ(pages.Page(3).rows.back(), 100);
  EXPECT_EQ(pages.top_rows(), std::vector<int>{0});

  g.PageSetup().zoom = 50;  // half size: twice the rows
  EXPECT_EQ(Pagination(g).PageCount(), 2);
}

TEST(Pagination, HiddenAndUnprintedCellsAreLeftOut) {
  grid::ReportGrid g(6, 5);
  g.SetRowHeight(3, 0);
  g.SetColWidth(2, 0);
  g.PageSetup().print_fixed_row = false;
  Pagination pages(g);
  ASSERT_EQ(pages.PageCount(), 1);
  EXPECT_EQ(pages.Page(0).rows, (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(pages.Page(0).cols, (std::vector<int>{1, 3, 4}));
  EXPECT_TRUE(pages.top_rows().empty());
  EXPECT_TRUE(pages.left_cols().empty());
}

TEST(Pagination, TitleRowsColumnsAndBottomRowsRepeat) {
  grid::ReportGrid g(200, 30);
  grid::PageSettings& p = g.PageSetup();
  p.print_title_rows = 2;
  p.print_title_columns = 2;
  p.print_bottom_title_rows = 1;
  Pagination pages(g);
  EXPECT_EQ(pages.top_rows(), (std::vector<int>{0, 1}));
  // Title columns count from the row-header column, which is printed only
  // with the fixed column.
  EXPECT_EQ(pages.left_cols(), (std::vector<int>{1}));
  p.print_fixed_column = true;
  EXPECT_EQ(Pagination(g).left_cols(), (std::vector<int>{0, 1}));
  p.print_fixed_column = false;
  EXPECT_EQ(pages.bottom_rows(), std::vector<int>{199});
  for (int i = 0; i < pages.PageCount(); ++i) {
    const render::PagePlan& page = pages.Page(i);
    EXPECT_GE(page.rows.front(), 2);
    EXPECT_LE(page.rows.back(), 198);
    EXPECT_GE(page.cols.front(), 2);
  }
  // Down first, then across: the second band starts with the first rows again.
  int bands = 0;
  for (int i = 0; i < pages.PageCount(); ++i) bands += pages.Page(i).rows.front() == 2;
  EXPECT_EQ(pages.PageCount() % bands, 0);
  EXPECT_GT(bands, 1);
}

}  // namespace

// The subtitle line "left||right" is aligned to the table: on a narrow table
// its two parts would overprint, so the right part takes a line of its own,
// and the rows make room for it.
TEST(Pagination, CrowdedSubtitlesStack) {
  grid::ReportGrid g(3, 3);  // the printed table: two columns of 64 px
  g.ReportTitles().Add("成绩表", "宋体", 14);
  grid::ReportTitle& sub = g.ReportTitles().Add("某某县第一中学||2008-2009年度下学期", "Arial", 10);
  sub.align_to = 1;
  Pagination narrow(g);
  std::vector<render::TitleLine> lines = narrow.TitlesOn(narrow.Page(0));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(lines[0].stacked);  // a centred title has no parts to stack
  EXPECT_TRUE(lines[1].stacked);
  EXPECT_DOUBLE_EQ(lines[1].height, 2 * render::TitleLineHeight(sub.font));

  g.SetColWidth(1, 300);
  g.SetColWidth(2, 300);
  Pagination wide(g);
  EXPECT_FALSE(wide.TitlesOn(wide.Page(0))[1].stacked);
  EXPECT_LT(wide.TitlesHeight(wide.Page(0)), narrow.TitlesHeight(narrow.Page(0)));
}
