// 成绩条 on the hand-worked exam of tests/stats/analysis_exam.h: what each
// strip holds, the class averages and letters, one class, and no-rank mode.
#include <gtest/gtest.h>

#include <set>

#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/result_slips.h"

namespace reports {
namespace {

using analysis_test::Cells;
using analysis_test::RowOf;

output::Document Slips(analysis_test::ExamDatabase& exam, const SlipOptions& o) {
  output::Document doc;
  common::NullProgress progress;
  ResultSlips(doc, exam.state, o, progress, output::Date{std::chrono::year{2024} / 7 / 1});
  return doc;
}

const std::set<std::string> kNames = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛"};

// Each strip is the heading row over one student's own row and nothing
// else: no other student's name anywhere in it. Classes come in report
// order, each from a new page.
TEST(ResultSlipsTest, EachStripHoldsOneStudentOnly) {
  analysis_test::ExamDatabase exam;
  const output::Document doc = Slips(exam, {});
  const grid::ReportGrid& g = doc.grid;
  const Cells heading = {"学校", "班级", "学号", "姓名", "语文", "数学", "体育", "全科总分"};
  ASSERT_EQ(doc.strips.size(), 8u);
  std::vector<std::string> order;
  for (const grid::Strip& strip : doc.strips) {
    ASSERT_EQ(strip.rows, 2);
    EXPECT_EQ(RowOf(g, strip.first_row), heading);
    const std::string name(g.CellText(strip.first_row + 1, 4));
    order.push_back(name);
    for (int r = strip.first_row; r < strip.first_row + strip.rows; ++r)
      for (int c = 1; c < g.Cols(); ++c) {
        const std::string text(g.CellText(r, c));
        if (kNames.count(text) != 0) {
          EXPECT_EQ(text, name) << "row " << r;
        }
      }
    // Nothing between two strips but the gap to cut along.
    const int after = strip.first_row + strip.rows;
    for (int c = 1; c < g.Cols(); ++c) EXPECT_EQ(g.CellText(after, c), "");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"丙", "丁", "庚", "乙", "戊", "辛", "甲", "己"}));
  std::vector<bool> new_page;
  for (const grid::Strip& s : doc.strips) new_page.push_back(s.new_page);
  EXPECT_EQ(new_page, (std::vector<bool>{false, false, false, true, false, false, true, false}));
  // 丁 did not sit 数学: the slip says so rather than showing a blank or a 0.
  EXPECT_EQ(RowOf(g, doc.strips[1].first_row + 1),
            (Cells{"一中", "1", "103", "丁", "58", "缺考", "40", "78"}));
}

// 丙 (一中 class 1 with 丁 and 庚): the class's averages, the letters by the
// lines, 总评 by rank (4th of 8 is within 50 %: B), and both ranks.
TEST(ResultSlipsTest, AveragesLettersAndRanks) {
  analysis_test::ExamDatabase exam;
  const output::Document doc = Slips(exam, {.average = true, .level = true, .rank = true});
  const grid::ReportGrid& g = doc.grid;
  const int r = doc.strips[0].first_row;
  ASSERT_EQ(doc.strips[0].rows, 4);
  EXPECT_EQ(RowOf(g, r).back(), "班级名次");
  // 全科排名 4 in the grade; in the class 237.5 (庚) is ahead: 2nd.
  EXPECT_EQ(RowOf(g, r + 1),
            (Cells{"一中", "1", "102", "丙", "85", "112.5", "40", "217.5", "4", "2"}));
  // 语文 (85+58+90)/3, 数学 only those who sat it (112.5+127.5)/2, the
  // total over everybody (217.5+78+237.5)/3; two decimals.
  EXPECT_EQ(RowOf(g, r + 2),
            (Cells{"本班平均", "", "", "", "77.67", "120", "40", "177.67", "", ""}));
  // 语文 85 is on the 优秀 line, 数学 112.5 on 优良, 体育 40 of 50 on 优良 (80 %).
  EXPECT_EQ(RowOf(g, r + 3), (Cells{"等级", "", "", "", "A", "B", "B", "B", "", ""}));
  // 丁's absent 数学 has no letter to give.
  EXPECT_EQ(g.CellText(doc.strips[1].first_row + 3, 6), "缺");
}

// No-rank mode outweighs --rank: letters instead of ranks.
TEST(ResultSlipsTest, NoRankModeShowsLettersInstead) {
  analysis_test::ExamDatabase exam;
  exam.state.privacy.no_rank = true;
  const output::Document doc = Slips(exam, {.rank = true});
  ASSERT_EQ(doc.strips[0].rows, 3);
  EXPECT_EQ(RowOf(doc.grid, doc.strips[0].first_row).back(), "全科总分");
  EXPECT_EQ(doc.grid.CellText(doc.strips[0].first_row + 2, 1), "等级");
}

}  // namespace
}  // namespace reports
