#include <gtest/gtest.h>

#include "listing_fixture.h"
#include "reports/custom_ranking.h"

namespace {

using listing_test::Column;
using listing_test::MakeListing;

const listing_test::Row kHeaders = {"学校", "学号", "班级", "姓名", "语文", "数学"};

reports::TotalsPage Totals(std::vector<reports::TotalsRow> rows) {
  reports::TotalsPage page;
  page.rows = std::move(rows);
  return page;
}

TEST(CustomTotal, WeightsAndPlacement) {
  common::NullProgress progress;
  {
    grid::ReportGrid g = MakeListing(kHeaders, {{"一中", "1", "1", "甲", "80", "90"}});
    reports::ApplyCustomTotal(
        g, 5, Totals({{"语文", true, "100", false}, {"数学", true, "50", true}}), progress);
    ASSERT_EQ(g.Cols(), 8) << "the default tick on the last row appends the column";
    EXPECT_EQ(g.CellText(0, 7), "总分");
    EXPECT_EQ(g.CellText(1, 7), "125");
    EXPECT_EQ(g.ColumnAt(7).format, "General Number");
  }
  {
    grid::ReportGrid g = MakeListing({"学校", "学号", "班级", "姓名", "语文", "数学", "英语"},
                                     {{"一中", "1", "1", "甲", "80", "90", "70"}});
    auto page = Totals(
        {{"语文", true, "100", false}, {"数学", true, "100", true}, {"英语", false, "100", false}});
    page.column_name = "小计";
    reports::ApplyCustomTotal(g, 5, page, progress);
    EXPECT_EQ(g.CellText(0, 7), "小计") << "right of 数学";
    EXPECT_EQ(g.CellText(0, 8), "英语");
    EXPECT_EQ(g.CellText(1, 7), "170") << "unticked 英语 does not count";
  }
}

TEST(CustomRanking, ModesRankColumnsAndOrderKept) {
  data::AppState state;
  common::NullProgress progress;
  for (const auto& [mode, ranks] : {std::pair{"1", std::vector<std::string>{"2", "1", "4", "2"}},
                                    std::pair{"2", std::vector<std::string>{"2", "1", "3", "2"}}}) {
    output::Document doc;
    doc.grid = MakeListing(kHeaders, {{"一中", "1", "1", "甲", "90", "1"},
                                      {"一中", "2", "1", "乙", "95", "2"},
                                      {"一中", "3", "2", "丙", "85", "3"},
                                      {"一中", "4", "2", "丁", "90", "4"}});
    reports::ApplyRanking(doc, state, {{"语文", true, false, true, mode}}, progress);
    EXPECT_EQ(Column(doc.grid, 4), (std::vector<std::string>{"甲", "乙", "丙", "丁"}));
    EXPECT_EQ(doc.grid.CellText(0, 6), "语文班名");
    EXPECT_EQ(doc.grid.CellText(0, 7), "语文段名");
    EXPECT_EQ(Column(doc.grid, 7), ranks) << "mode " << mode;
    EXPECT_EQ(Column(doc.grid, 6), (std::vector<std::string>{"2", "1", "2", "1"}));
  }
}

TEST(SelectedColumnRank, NumbersByPositionAndSkipsTotalRow) {
  grid::ReportGrid g = MakeListing(
      {"学校", "人数"}, {{"合计", "9"}, {"一中", "3"}, {"二中", "3"}, {"三中", "5"}, {"四中", ""}});
  reports::RankSelectedColumn(g, 2);
  EXPECT_EQ(g.FixedRows(), 2);
  EXPECT_EQ(g.CellText(0, 3), "人数排名");
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"合计", "一中", "二中", "三中", "四中"}));
  EXPECT_EQ(Column(g, 3), (std::vector<std::string>{"", "2", "3", "1", ""}));
  EXPECT_TRUE(g.AllowUserSort());
  g.Sort(2, true);
  reports::RestoreFilledOrder(g);
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"合计", "一中", "二中", "三中", "四中"}));
}

}  // namespace
