#include <gtest/gtest.h>

#include "listing_fixture.h"
#include "reports/filter_rows.h"

namespace {

using listing_test::MakeListing;

grid::ReportGrid Listing() {
  grid::ReportGrid g =
      MakeListing({"学校", "班级", "姓名", "平均", ""}, {{"一中", "1", "甲", "66.66666", "3"},
                                                         {"一中", "2", "乙", "80", "1"},
                                                         {"一中", "2", "丙", "70", "2"},
                                                         {"二中", "1", "丁", "60", "5"},
                                                         {"一中 ", "3", "戊", "50", "4"}});
  g.SetColFormat(4, "##,##0.00");
  g.SetColWidth(5, 0);
  return g;
}

TEST(Filter, CopiesFirstToLastMatchWithHeaders) {
  const grid::ReportGrid g = Listing();
  data::AppState state;
  reports::FilterOptions o = reports::OpenFilterDialog(g);
  reports::ChooseFilterSchool(o, g, "一中");
  o.klass = "2";
  auto doc = reports::RunFilter(o, g, state);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->caption, "一中2成绩表");
  EXPECT_EQ(doc->grid.Rows(), 3);
  EXPECT_EQ(doc->grid.CellText(0, 3), "姓名");
  EXPECT_EQ(doc->grid.CellText(1, 3), "乙");
  EXPECT_EQ(doc->grid.CellText(2, 3), "丙");
  EXPECT_EQ(doc->grid.ColWidth(5), 0) << "the order column stays hidden";

  // A school alone: every row from its first to its last, whatever lies between.
  o.klass.clear();
  doc = reports::RunFilter(o, g, state);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->title, "一中成绩表");
  EXPECT_EQ(doc->grid.Rows(), 6);
  EXPECT_EQ(doc->grid.CellText(4, 3), "丁");

  o.school = "三中";
  EXPECT_FALSE(reports::RunFilter(o, g, state)) << "no match, no window";
}

}  // namespace
