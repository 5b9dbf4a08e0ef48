// The trend chart (qst) through the catalog, as the menu and the CLI make
// it, on the three hand-worked exams of two_exams.h.
#include <gtest/gtest.h>

#include <cmath>

#include "../stats/two_exams.h"
#include "analysis_fixture.h"
#include "reports/chart_catalog.h"

namespace {

using namespace analysis_test;
using Labels = std::vector<std::string>;

reports::ChartData Trend(data::AppState& state, const std::string& option,
                         const std::string& value) {
  const reports::ChartKind* kind = reports::FindChartKind("qst");
  reports::ReportChoices choices(kind->options);
  choices.Add(option, value);
  common::NullProgress quiet;
  reports::ReportRun run{state, quiet, {}};
  return kind->make(run, choices);
}

class ChartTrendTest : public ::testing::Test {
 protected:
  ChartTrendTest() { EXPECT_TRUE(exams.Import(two_exams::Monthly(), "月考").ok); }
  two_exams::TwoExams exams;
};

TEST_F(ChartTrendTest, AStudentsRankPerExamOnAReversedAxisBrokenWhereAbsent) {
  const reports::ChartData c = Trend(exams.state, "student", "101");
  EXPECT_EQ(c.shape, reports::ChartShape::kCategoryLine);
  EXPECT_EQ(c.categories, (Labels{"期中", "期末", "月考"}));  // date order
  EXPECT_TRUE(c.value_axis_reversed) << "up is better";
  EXPECT_TRUE(c.notice.empty());
  ASSERT_EQ(c.series.size(), 1u);
  // 3rd of 9; 5th of 11 with 赵六 (160); 2nd with 李四 (170), the next 4th.
  EXPECT_EQ(c.series[0].values, (std::vector<double>{3, 5, 2}));
  EXPECT_EQ(c.title, "一中 1 张三 成绩趋势图");

  // 吴九 left before 期末 and came back: no point there, not a rank of 0.
  const reports::ChartData back = Trend(exams.state, "student", "202");
  ASSERT_EQ(back.series[0].values.size(), 3u);
  EXPECT_EQ(back.series[0].values[0], 9);
  EXPECT_TRUE(std::isnan(back.series[0].values[1]));
  EXPECT_EQ(back.series[0].values[2], 4);
  EXPECT_EQ(back.title, "二中 4 吴九 成绩趋势图") << "the latest exam's class";
}

TEST_F(ChartTrendTest, AClassMeanAgainstTheGradeMeanInEveryExam) {
  const reports::ChartData c = Trend(exams.state, "class", "二中/3");
  ASSERT_EQ(c.series.size(), 2u);
  EXPECT_EQ(c.series[0].name, "二中 3");
  EXPECT_EQ(c.series[1].name, "年级");
  // 二中 3: 期中 (170 + 90 + 120) / 3; 期末 (185 + 140 + 130 + 150) / 4;
  // it did not sit 月考.
  EXPECT_NEAR(c.series[0].values[0], 380.0 / 3, 1e-9);
  EXPECT_EQ(c.series[0].values[1], 151.25);
  EXPECT_TRUE(std::isnan(c.series[0].values[2]));
  // The grade: all 9, all 11, then all 4 students' 全科总分 (the class's
  // absence leaves the grade's point).
  EXPECT_NEAR(c.series[1].values[0], 1365.0 / 9, 1e-9);
  EXPECT_NEAR(c.series[1].values[1], 1660.0 / 11, 1e-9);
  EXPECT_EQ(c.series[1].values[2], 162.5);
  EXPECT_FALSE(c.value_axis_reversed);
}

TEST_F(ChartTrendTest, WhoIsFollowedIsRefusedWithTheReason) {
  const auto refusal = [&](const std::string& option, const std::string& value) {
    try {
      Trend(exams.state, option, value);
    } catch (const reports::ReportError& e) {
      return std::string(e.what());
    }
    return std::string("no refusal");
  };
  EXPECT_EQ(refusal("student", "999"), "当前考试中没有学号为 999 的学生。");
  EXPECT_EQ(refusal("class", "三中/1"), "考试库中没有“三中”的班级“1”。");
  EXPECT_NE(refusal("class", "二中3").find("学校/班级"), std::string::npos);
  EXPECT_NE(refusal("class", "").find("--student"), std::string::npos) << "neither given";
}

// With less than two points there is no trend: the chart says why.
TEST(ChartTrendNoticeTest, OneExamOrAStudentInOnlyOneSaysSoInsteadOfAnEmptyChart) {
  ExamDatabase one;
  const reports::ChartData lone = Trend(one.state, "student", "101");
  EXPECT_EQ(lone.categories.size(), 1u);
  EXPECT_EQ(lone.notice, "考试库中只有一次考试，至少要有两次考试才能画出成绩趋势。");

  two_exams::TwoExams two;  // 郑十 (203) is new in 期末
  const reports::ChartData fresh = Trend(two.state, "student", "203");
  EXPECT_TRUE(std::isnan(fresh.series[0].values[0]));
  EXPECT_EQ(fresh.notice, "考试库中只有一次考试有学号 203 的成绩，画不出成绩趋势。");
  EXPECT_TRUE(Trend(two.state, "class", "一中/1").notice.empty());
}

}  // namespace
