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

TEST(Segments, LeaveAGapForScoresBetweenWholeNumbers) {
  // 79.5 lies above 分60_79段 and below 分80_100段.
  for (const Segment& s : Segments(100, 20)) EXPECT_FALSE(79.5 >= s.low && 79.5 <= s.high);
}

TEST(SubjectIndex, NamesTheMissingSubject) {
  data::SubjectLines lines;
  lines.Resize(2);
  lines.SubjectName = {"语文", "数学"};
  EXPECT_EQ(reports::SubjectIndex(lines, "数学"), 1);
  try {
    reports::SubjectIndex(lines, "体育");
    FAIL() << "no error for an unknown subject";
  } catch (const reports::ReportError& e) {
    EXPECT_STREQ(e.what(), "没有这个科目：体育");
  }
  EXPECT_THROW(reports::SubjectIndexFromMenu(lines, 3), reports::ReportError);
  EXPECT_EQ(reports::SubjectIndexFromMenu(lines, 1), 0);
}

TEST(StatisticColumns, GiveThePerClassQueryCharacterForCharacter) {
  // The per-class query text, written out by hand.
  const std::string expected =
      "select 学校,班级,count(语文) as 参考人数,sum(语文) as 总分, cint(avg(语文)*100)/100 as "
      "平均分,count(iif([语文]>=85,1,null)) as 优秀人数,cint(count(iif([语文]>=85,1,null))*10000/"
      "count(语文))/100 as 优秀率,count(iif([语文]>=75,1,null)) as 优良人数,cint(count(iif([语文]>="
      "75,1,null))*10000/count(语文))/100 as 优良率,count(iif([语文]>=60,1,null)) as 及格人数,cint("
      "count(iif([语文]>=60,1,null))*10000/count(语文))/100 as 及格率,cint(avg(语文)*100)/10000*40+"
      "cint(count(iif([语文]>=85,1,null))*10000/count(语文))/10000*20+cint(count(iif([语文]>=75,1,"
      "null))*10000/count(语文))/10000*20+cint(count(iif([语文]>=60,1,null))*10000/count(语文))/"
      "10000*20 as 综合分,max(语文) as 最高分,min(语文) as 最低分,max(语文)-min(语文) as 全距,cint("
      "StDev(语文)*100)/100   as 标准差,Count(iif([语文]>=80 And [语文]<=100, 1, Null)) as "
      "分80_100段,Count(iif([语文]>=60 And [语文]<=79, 1, Null)) as 分60_79段,Count(iif([语文]>=40 "
      "And [语文]<=59, 1, Null)) as 分40_59段,Count(iif([语文]>=20 And [语文]<=39, 1, Null)) as "
      "分20_39段,Count(iif([语文]>=0 And [语文]<=19, 1, Null)) as 分0_19段 from 成绩表  GROUP BY "
      "学校,班级";
  data::SystemSettings weights{40, 20, 20, 20, 20, 20};
  EXPECT_EQ("select 学校,班级," + reports::StatisticColumns("语文", {85, 75, 60}, weights) +
                reports::SegmentColumns("语文", 100, 20) + " from 成绩表  GROUP BY 学校,班级",
            expected);
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
