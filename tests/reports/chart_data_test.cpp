// The charts' figures on the hand-worked exam of tests/stats/analysis_exam.h
// (语文 out of 100, 数学 out of 150; lines 85 / 75 / 60 as stored; 单科段 and
// 总分段 20, the weights 40 / 20 / 20 / 20 by default).
#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/analysis_table.h"
#include "reports/chart_catalog.h"
#include "reports/chart_data.h"

namespace {

using namespace analysis_test;
using Values = std::vector<double>;
using Labels = std::vector<std::string>;

class ChartDataTest : public ::testing::Test {
 protected:
  explicit ChartDataTest(const ExamRows& rows = {}) : db(rows) {
    data::LoadSystemSettings(db.state);
    snapshot = reports::ReadCurrentExam(db.state, progress);
  }
  ExamDatabase db;
  common::NullProgress progress;
  stats::ExamSnapshot snapshot;
};

// 美术 nobody sat; nobody of 二中 sat 语文; 二中 2 is one student (66 in 语文).
ExamRows HolesAndALoneStudent() {
  ExamRows rows = WithHoles();
  rows.scores.push_back({"二中", "203", "2", "壬", "66", "100", "40", ""});
  return rows;
}

class ChartHolesTest : public ChartDataTest {
 protected:
  ChartHolesTest() : ChartDataTest(HolesAndALoneStudent()) {}
};

TEST_F(ChartDataTest, HistogramBandsAreTheSingleSubjectSegmentsLowestFirst) {
  // 100 / 20: 0-19 … 80-100. 58 55 | 77.5 | 80 90 85 90; 戊 is absent.
  const reports::ChartData c = reports::ScoreHistogram(snapshot, db.state, {"语文"});
  EXPECT_EQ(c.title, "高一期中语文分数段分布图");
  EXPECT_EQ(c.categories, (Labels{"0-19", "20-39", "40-59", "60-79", "80-100"}));
  ASSERT_EQ(c.series.size(), 1u);
  EXPECT_EQ(c.series[0].values, (Values{0, 0, 2, 1, 4}));
  // 85 is 5/21 into 80-100 (whose end is past 100), 75 15/20 into 60-79,
  // 60 the very start of 60-79: a category's centre is its index.
  ASSERT_EQ(c.vertical_lines.size(), 3u);
  EXPECT_EQ(c.vertical_lines[0].name, "优秀线 85");
  EXPECT_DOUBLE_EQ(c.vertical_lines[0].position, 4 - 0.5 + 5.0 / 21);
  EXPECT_DOUBLE_EQ(c.vertical_lines[1].position, 3 - 0.5 + 0.75);
  EXPECT_DOUBLE_EQ(c.vertical_lines[2].position, 3 - 0.5);
}

TEST_F(ChartDataTest, HistogramCountsEveryScoreOnceEvenOutsideTheSegments) {
  // 150 / 20 leaves 0-9 below 10-29, and 112.5 falls between 110-129's
  // whole numbers: both are counted, in 0-9 and 110-129.
  const reports::ChartData c = reports::ScoreHistogram(snapshot, db.state, {"数学"});
  EXPECT_EQ(c.categories,
            (Labels{"0-9", "10-29", "30-49", "50-69", "70-89", "90-109", "110-129", "130-150"}));
  EXPECT_EQ(c.series[0].values, (Values{0, 0, 0, 1, 0, 1, 4, 1}));
  // With the lines scaled by the full mark, 优秀 is 127.5, 17.5/20 into 110-129.
  db.state.system_settings.ScaleLinesByFullMark = 1;
  const reports::ChartData scaled = reports::ScoreHistogram(snapshot, db.state, {"数学"});
  EXPECT_EQ(scaled.vertical_lines[0].name, "优秀线 127.5");
  EXPECT_DOUBLE_EQ(scaled.vertical_lines[0].position, 6 - 0.5 + 0.875);
}

TEST_F(ChartDataTest, BoxesByClassOrderedByMedianWithQuartilesInterpolated) {
  const reports::ChartData c = reports::ClassBoxPlot(snapshot, db.state, "语文");
  EXPECT_EQ(c.title, "高一期中各班语文箱线图");
  // Medians: 一中 1 85, 二中 1 78.75, 一中 2 72.5.
  EXPECT_EQ(c.categories, (Labels{"一中 1班", "二中 1班", "一中 2班"}));
  ASSERT_EQ(c.boxes.size(), 3u);
  // Three scores 58 85 90: quartiles at positions 0.5 and 1.5.
  const stats::BoxSummary& odd = c.boxes[0];
  EXPECT_EQ(odd.count, 3);
  EXPECT_EQ(Values({odd.lowest, odd.lower_quartile, odd.median, odd.upper_quartile, odd.highest}),
            (Values{58, 71.5, 85, 87.5, 90}));
  // Two scores 55 90 (戊 absent): positions 0.25, 0.5, 0.75.
  const stats::BoxSummary& even = c.boxes[2];
  EXPECT_EQ(even.count, 2);
  EXPECT_EQ(Values({even.lower_quartile, even.median, even.upper_quartile}),
            (Values{63.75, 72.5, 81.25}));
  // 535.5 / 7.
  ASSERT_EQ(c.horizontal_lines.size(), 1u);
  EXPECT_EQ(c.horizontal_lines[0].name, "年级平均分 76.50");
  EXPECT_DOUBLE_EQ(c.horizontal_lines[0].position, 76.5);
}

TEST_F(ChartHolesTest, ClassesWithoutScoresLeaveTheChartsAndALoneScoreIsItsOwnBox) {
  const reports::ChartData boxes = reports::ClassBoxPlot(snapshot, db.state, "语文");
  // 二中 1 sat no 语文; 二中 2 is 壬 alone.
  EXPECT_EQ(boxes.categories, (Labels{"一中 1班", "一中 2班", "二中 2班"}));
  const stats::BoxSummary& alone = boxes.boxes[2];
  EXPECT_EQ(Values({alone.lowest, alone.lower_quartile, alone.median, alone.upper_quartile,
                    alone.highest}),
            Values(5, 66));

  // Nobody sat 美术: no box, no bar, no grade line, and bands of nobody.
  const reports::ChartData none = reports::ClassBoxPlot(snapshot, db.state, "美术");
  EXPECT_TRUE(none.categories.empty());
  EXPECT_TRUE(none.horizontal_lines.empty());
  const reports::ChartData bars = reports::ClassComparison(snapshot, db.state, {"美术", "及格率"});
  EXPECT_TRUE(bars.categories.empty());
  EXPECT_TRUE(bars.horizontal_lines.empty());
  const reports::ChartData bands = reports::ScoreHistogram(snapshot, db.state, {"美术"});
  EXPECT_EQ(bands.series[0].values, Values(5, 0));
}

TEST_F(ChartDataTest, ClassFiguresRoundAsTheSingleSubjectStatistics) {
  struct Case {
    const char* figure;
    Values bars;  // 一中 1, 一中 2, 二中 1
    double grade;
    const char* why;
  } cases[] = {
      {"平均分", {77.67, 72.5, 78.75}, 76.5, "233 / 3 to two decimals"},
      {"优秀率", {66.67, 50, 0}, 42.86, "2 of 3 at 85 and above; 3 of 7"},
      {"及格率", {66.67, 50, 100}, 71.43, "58 and 55 fail: 5 of 7"},
      // 一中 1: 77.67 × 0.4 + (0.6667 + 0.6667 + 0.6667) × 20; the grade:
      // 76.5 × 0.4 + (0.4286 + 0.7143 + 0.7143) × 20.
      {"综合分", {71.07, 59, 71.5}, 67.744, "the weights 40 / 20 / 20 / 20"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.why);
    const reports::ChartData c = reports::ClassComparison(snapshot, db.state, {"语文", k.figure});
    EXPECT_EQ(c.categories, (Labels{"一中 1班", "一中 2班", "二中 1班"}));
    ASSERT_EQ(c.series.size(), 2u);  // one per school, a bar only in its own classes
    EXPECT_EQ(c.series[1].values[0], 0);
    const Values bars{c.series[0].values[0], c.series[0].values[1], c.series[1].values[2]};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(bars[i], k.bars[i], 1e-9) << k.figure << i;
    EXPECT_NEAR(c.horizontal_lines.at(0).position, k.grade, 1e-9);
  }
}

}  // namespace
