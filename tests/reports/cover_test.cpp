#include <gtest/gtest.h>

#include "reports/cover_page.h"

namespace {

constexpr output::Date kDay{std::chrono::year{2009}, std::chrono::month{3}, std::chrono::day{7}};

data::TitleSettings Titles(const char* school) {
  data::TitleSettings t;
  t.School = school;
  t.SchoolYear = "2008-2009年度下学期";
  t.GradeLevel = "高一年级";
  t.ExamType = "中期考试";
  return t;
}

std::string SchoolColumn(const grid::ReportGrid& g, int first, int last) {
  std::string s;
  for (int r = first; r <= last; ++r) s += g.CellText(r, 2);
  return s;
}

TEST(Cover, TenCharacterSchoolOnBothCovers) {
  const auto titles = Titles("一二三四五六七八九十");
  const output::Document portrait = reports::PortraitCover(titles, kDay);
  EXPECT_EQ(portrait.grid.Rows(), 23);
  EXPECT_EQ(SchoolColumn(portrait.grid, 8, 21), "一二三四五六七八九十");
  EXPECT_EQ(portrait.grid.CellText(5, 2), "高一年级中期考试成绩统计表");
  EXPECT_EQ(portrait.grid.CellText(22, 2), "2009年3月7日");
  EXPECT_EQ(portrait.grid.PageSetup().orientation, grid::kPortrait);
  EXPECT_EQ(portrait.title, reports::kCoverTitle);

  const output::Document landscape = reports::LandscapeCover(titles, kDay);
  EXPECT_EQ(landscape.grid.Rows(), 15);
  EXPECT_EQ(SchoolColumn(landscape.grid, 6, 13), "一二三四五六七八");
  EXPECT_EQ(landscape.grid.CellText(4, 2), "高一年级中期考试成绩统计表");
  EXPECT_EQ(landscape.grid.ColWidth(2), 760);
  EXPECT_EQ(landscape.grid.PageSetup().orientation, grid::kLandscape);
}

TEST(Cover, EmptySchoolStillDated) {
  const output::Document d = reports::LandscapeCover(Titles(""), kDay);
  EXPECT_EQ(SchoolColumn(d.grid, 6, 13), "");
  EXPECT_EQ(d.grid.CellText(14, 2), "2009年3月7日");
  EXPECT_EQ(d.grid.CellText(3, 2), "2008-2009年度下学期");
}

}  // namespace
