// 一分一段表, 名次段分布 and 临界生名单 on the hand-worked exam
// (tests/stats/analysis_exam.h has the table and its totals and ranks).
#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "reports/near_line.h"
#include "reports/rank_bands.h"
#include "reports/score_bands.h"
#include "reports/stat_columns.h"

namespace {

using namespace analysis_test;

constexpr output::Date kDay{std::chrono::year{2024}, std::chrono::month{11}, std::chrono::day{5}};

class AnalysisCountsTest : public ::testing::Test {
 protected:
  ExamDatabase exam;
  output::Document doc;
  common::NullProgress progress;
  const grid::ReportGrid& g = doc.grid;

  void Bands(const reports::ScoreBandOptions& o) {
    reports::ScoreBandReport(doc, exam.state, o, progress, kDay);
  }
  void Ranks(const reports::RankBandOptions& o) {
    reports::RankBandReport(doc, exam.state, o, progress, kDay);
  }
  void NearLine(const reports::NearLineOptions& o) {
    reports::NearLineReport(doc, exam.state, o, progress, kDay);
  }
};

TEST_F(AnalysisCountsTest, TotalsByOnePointFromTheTopWithEmptyBands) {
  Bands({});
  // 245 down to 78: 168 bands, most of them empty.
  EXPECT_EQ(doc.title, "高一期中全科总分一分一段表 [共有 168 个记录]");
  ASSERT_EQ(DataRows(g), 168);
  ExpectRow(g, 1, {"245", "1", "1", "12.5"});
  ExpectRow(g, 2, {"244", "0", "1", "12.5"});              // empty, the running count stays
  ExpectRow(g, 1 + 245 - 237, {"237", "1", "2", "25"});    // 237.5 floors to 237
  ExpectRow(g, 1 + 245 - 217, {"217", "2", "5", "62.5"});  // the tie 217.5, 217.5
  ExpectRow(g, 168, {"78", "1", "8", "100"});
  EXPECT_EQ(RowOf(g, 169), Cells(4, ""));
}

TEST_F(AnalysisCountsTest, TopsPerClassWithTheTiesCountedIn) {
  // 全科排名: 一中 1 = 丙 4, 丁 8, 庚 2; 一中 2 = 乙 1, 戊 7, 辛 6; 二中 1 = 甲 3, 己 4.
  Ranks({"全科", {1, 2, 4}});
  EXPECT_EQ(doc.caption, "高一期中各班全科名次段分布表");
  EXPECT_EQ(RowOf(g, 0), (Cells{"学校", "班级", "人数", "前1名", "前2名", "前4名", "前1名率",
                                "前2名率", "前4名率"}));
  ASSERT_EQ(DataRows(g), 4);
  // The top 4 hold five students: 丙 and 己 share rank 4.
  ExpectRow(g, 1, {"合计", "", "8", "1", "2", "5", "12.5", "25", "62.5"});
  ExpectRow(g, 2, {"一中", "1", "3", "0", "1", "2", "0", "33.3333333333333", "66.6666666666667"});
  ExpectRow(g, 3,
            {"一中", "2", "3", "1", "1", "1", "33.3333333333333", "33.3333333333333",
             "33.3333333333333"});
  ExpectRow(g, 4, {"二中", "1", "2", "0", "0", "2", "0", "0", "100"});
}

TEST_F(AnalysisCountsTest, TheLineIsTheImportsAndReachingItIsNotBelowIt) {
  // 优秀 of 数学 is 150 × 85 % = 127.5: 庚's 127.5 reached it; 甲 and 己 (120)
  // are 7.5 short, within 10; 丙's 112.5 is 15 short.
  NearLine({"数学", "优秀", 0, 10});
  ASSERT_EQ(DataRows(g), 2);
  ExpectRow(g, 1, {"二中", "1", "201", "甲", "120", "127.5", "7.5"});
  ExpectRow(g, 2, {"二中", "1", "202", "己", "120", "127.5", "7.5"});
}

TEST_F(AnalysisCountsTest, JustOutsideTheTopNByClassThenGap) {
  // Ranks 6 to 8 are outside the top 5; the 5th highest total is 217.5.
  // In 一中 2 辛 (82.5 short) comes before 戊 (127.5), against the table's order.
  NearLine({"", "及格", 5, 3});
  EXPECT_EQ(doc.caption, "高一期中全科前5名临界生名单");
  ASSERT_EQ(DataRows(g), 3);
  ExpectRow(g, 1, {"一中", "1", "103", "丁", "78", "8", "139.5"});
  ExpectRow(g, 2, {"一中", "2", "106", "辛", "135", "6", "82.5"});
  ExpectRow(g, 3, {"一中", "2", "104", "戊", "90", "7", "127.5"});
}

TEST_F(AnalysisCountsTest, TheTotalAtRankNInsideATie) {
  // N = 4: nobody holds rank 5 (丙 and 己 share 4), so ranks 5 and 6 are 辛
  // alone; the 4th highest total is one of the two 217.5.
  NearLine({"", "及格", 4, 2});
  ASSERT_EQ(DataRows(g), 1);
  ExpectRow(g, 1, {"一中", "2", "106", "辛", "135", "6", "82.5"});
  doc = output::Document();
  NearLine({"", "及格", 8, 5});  // nobody is beyond the last rank
  EXPECT_EQ(DataRows(g), 0);
  EXPECT_EQ(doc.title, "高一期中全科前8名临界生名单 [没有记录]");
}

TEST_F(AnalysisCountsTest, ChoicesThatCannotBeMetAreRefused) {
  // No such subject; no such school; bands of no width.
  for (const reports::ScoreBandOptions& o : std::vector<reports::ScoreBandOptions>{
           {"英语", 1, ""}, {"全科总分", 1, "三中"}, {"全科总分", 0, ""}})
    EXPECT_THROW(Bands(o), reports::ReportError) << o.measure << o.step << o.school;
  for (const std::vector<int>& tops : {std::vector<int>{}, std::vector<int>{50, 0}})
    EXPECT_THROW(Ranks({"全科", tops}), reports::ReportError) << tops.size();
  // Neither subject nor rank; both; no such line; a total has no line; a
  // negative band; K counts students.
  for (const reports::NearLineOptions& o :
       std::vector<reports::NearLineOptions>{{"", "及格", 0, 5},
                                             {"语文", "及格", 5, 5},
                                             {"语文", "良好", 0, 5},
                                             {"全科总分", "及格", 0, 5},
                                             {"语文", "及格", 0, -1},
                                             {"", "及格", 5, 1.5}})
    EXPECT_THROW(NearLine(o), reports::ReportError) << o.subject << o.line << o.rank << o.band;
}

}  // namespace
