#include <gtest/gtest.h>

#include "listing_fixture.h"
#include "reports/custom_ranking.h"
#include "reports/listing_ranks.h"
#include "reports/listing_scores.h"

namespace {

using listing_test::Column;
using listing_test::HeaderCol;
using listing_test::Lines;
using listing_test::MakeListing;

const listing_test::Row kHeaders = {"学校", "学号", "班级", "姓名", "语文", "数学", "英语"};

TEST(WriteRanks, TieModes) {
  struct Case {
    int mode;
    std::vector<std::string> ranks;
  };
  for (const Case& c : {Case{reports::kRankSkip, {"1", "2", "2", "4"}},
                        Case{reports::kRankDense, {"1", "2", "2", "3"}}}) {
    grid::ReportGrid g = MakeListing({"总分", "名次"}, {{"90"}, {"80"}, {"80"}, {"70"}});
    reports::WriteRanks(g, 1, 2, reports::kNoGroup, c.mode);
    EXPECT_EQ(Column(g, 2), c.ranks) << "mode " << c.mode;
  }
}

TEST(RankedListing, TotalsAverageAndBothRanks) {
  grid::ReportGrid g = MakeListing(kHeaders, {{"一中", "1", "1", "甲", "80", "90", "60"},
                                              {"一中", "2", "1", "乙", "", "", ""},
                                              {"一中", "3", "1", "丙", "90", "90", "40"}});
  common::NullProgress progress;
  reports::AddTotalAndRanks(g, Lines({"语文", "数学", "英语"}, 5, {1, 1, 0}, {100, 100, 50}),
                            progress);
  const int avg = HeaderCol(g, "平均");
  ASSERT_EQ(avg, 8);
  EXPECT_EQ(HeaderCol(g, "总分"), 9);
  EXPECT_EQ(g.ColWidth(12), 0) << "the order column is hidden";
  // Sorted by total within the class: 甲 200, 丙 200, 乙 0.
  EXPECT_EQ(Column(g, 4), (std::vector<std::string>{"甲", "丙", "乙"}));
  EXPECT_EQ(g.CellText(1, 9), "200");
  EXPECT_EQ(g.DisplayText(1, avg), "66.67");
  EXPECT_EQ(g.DisplayText(3, avg), "0.00") << "no scores at all";
  EXPECT_EQ(Column(g, 10), (std::vector<std::string>{"1", "1", "3"}));
  EXPECT_EQ(Column(g, 11), (std::vector<std::string>{"1", "1", "3"}));
  reports::RestoreFilledOrder(g);
  EXPECT_EQ(Column(g, 4), (std::vector<std::string>{"甲", "乙", "丙"})) << "恢复原来顺序";
}

TEST(RankedListing, ClassRanksRestartAndSameNamedNeighboursMerge) {
  // 一中's last class and 二中's first class are both called 3: adjacent after
  // the sort, they rank as one class.
  grid::ReportGrid g = MakeListing(kHeaders, {{"二中", "1", "3", "甲", "95", "", ""},
                                              {"一中", "2", "3", "乙", "90", "", ""},
                                              {"一中", "3", "1", "丙", "10", "", ""},
                                              {"一中", "4", "3", "丁", "80", "", ""},
                                              {"二中", "5", "4", "戊", "20", "", ""}});
  common::NullProgress progress;
  reports::AddTotalAndRanks(g, Lines({"语文", "数学", "英语"}, 5, {1, 1, 1}, {100, 100, 100}),
                            progress);
  EXPECT_EQ(Column(g, 4), (std::vector<std::string>{"丙", "乙", "丁", "甲", "戊"}));
  EXPECT_EQ(Column(g, HeaderCol(g, "班名")), (std::vector<std::string>{"1", "1", "2", "3", "1"}));
  EXPECT_EQ(Column(g, HeaderCol(g, "段名")), (std::vector<std::string>{"5", "2", "3", "1", "4"}));
}

}  // namespace
