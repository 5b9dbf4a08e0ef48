#include "reports/stat_columns.h"

#include <gtest/gtest.h>

#include "score_fixture.h"

namespace {

using reports::Segment;
using reports::Segments;

std::vector<std::string> Names(int full_mark, int width) {
  std::vector<std::string> out;
  for (const Segment& s : Segments(full_mark, width)) out.push_back(reports::SegmentName(s));
  return out;
}

TEST(Segments, RunFromTheFullMarkDownInWholeWidths) {
  EXPECT_EQ(Names(150, 20),
            (std::vector<std::string>{"分130_150段", "分110_129段", "分90_109段", "分70_89段",
                                      "分50_69段", "分30_49段", "分10_29段"}));
  // The first segment reaches up to a full mark that is not a multiple of ten.
  EXPECT_EQ(Names(105, 10), (std::vector<std::string>{
                                "分90_105段", "分80_89段", "分70_79段", "分60_69段", "分50_59段",
                                "分40_49段", "分30_39段", "分20_29段", "分10_19段", "分0_9段"}));
  EXPECT_EQ(Names(100, 20), (std::vector<std::string>{"分80_100段", "分60_79段", "分40_59段",
                                                      "分20_39段", "分0_19段"}));
  EXPECT_TRUE(Names(15, 20).empty());  // full mark below the width
  EXPECT_TRUE(Names(100, 0).empty());
}

// 三线折算 off (the default) keeps the stored value as the score line, so
// the reports stay exactly as they were; on, a line is FullMark × Pct / 100,
// the line the import counts in 统计表 (127.5 for 85 % of 150).
TEST(StatisticColumns, LinesAreScaledByTheFullMarkOnlyWhenAsked) {
  data::SubjectLines lines;
  lines.Resize(2);
  lines.FullMark = {150, 100};
  lines.ExcellentPct = {85, 85};
  lines.GoodPct = {75, 75};
  lines.PassPct = {60, 60};
  const reports::StatLines plain = reports::LinesOf(lines, 0, false);
  EXPECT_EQ(plain.excellent, 85);
  EXPECT_EQ(plain.pass, 60);
  const reports::StatLines scaled = reports::LinesOf(lines, 0, true);
  EXPECT_EQ(scaled.excellent, 127.5);
  EXPECT_EQ(scaled.good, 112.5);
  EXPECT_EQ(scaled.pass, 90);
  EXPECT_EQ(reports::LinesOf(lines, 1, true).excellent, 85) << "out of 100 nothing changes";
  data::SystemSettings weights{40, 20, 20, 20, 20, 20};
  const std::string sql = reports::StatisticColumns("语文", scaled, weights);
  EXPECT_NE(sql.find("count(iif([语文]>=127.5,1,null)) as 优秀人数"), std::string::npos) << sql;
}

// The 合计 row read on a thread of its own must fill the grid as
// InsertTotalRow does from the same query, and a query that fails (before the
// first import) must leave the label alone rather than end the report.
TEST(TotalRowAhead, FillsRowOneAsTheDirectReadDoes) {
  reports_test::TempDatabase fixture;
  engine::Database db = fixture.Open();
  reports_test::CreateSmallExam(db);
  const std::string sql = "select count(语文),sum(语文),avg(语文),min(姓名) from 成绩表";
  auto grid_of = [] {
    grid::ReportGrid g;
    g.SetCols(8);
    g.SetRows(3);
    return g;
  };
  grid::ReportGrid direct = grid_of(), ahead = grid_of(), failed = grid_of();
  reports::InsertTotalRow(direct, db, sql, 3);
  reports::TotalRowAhead(fixture.state.database_path, sql).Insert(ahead, 3);
  reports::TotalRowAhead(fixture.state.database_path, "select 语文 from 没有的表")
      .Insert(failed, 3);
  ASSERT_EQ(ahead.Rows(), 4);
  for (int c = 0; c < 8; ++c) EXPECT_EQ(ahead.CellText(1, c), direct.CellText(1, c)) << c;
  EXPECT_EQ(ahead.CellText(1, 3), "8") << "the eight who sat 语文";
  EXPECT_EQ(failed.Rows(), 4);
  EXPECT_EQ(failed.CellText(1, 1), "合计");
  EXPECT_EQ(failed.CellText(1, 3), "");
}

}  // namespace
