#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "common/text_number.h"
#include "listing_fixture.h"
#include "output/report_layout.h"
#include "reports/browse.h"
#include "reports/custom_ranking.h"
#include "reports/listing_ranks.h"
#include "reports/listing_scores.h"
#include "score_fixture.h"
#include "stats/stored_columns.h"

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

// A pass over rows other than 1 to N once each (here below a fixed 合计 row,
// the empty last row ranked too) writes its ranks where it found them.
TEST(WriteRanks, RowsBelowAFixedRowInSortedOrder) {
  grid::ReportGrid g = MakeListing({"总分", "名次"}, {{"合计"}, {"80"}, {"90"}, {"80"}, {"70"}});
  g.SetFixedRows(2);
  reports::WriteRanks(g, 1, 2, reports::kNoGroup, reports::kRankSkip, {},
                      g.SortOrder({{1, false}}));
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"", "2", "1", "2", "4"}));
  EXPECT_EQ(g.CellText(6, 2), "5");
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

// The rank passes take the rows in their sorted orders where they stand and
// move them once; they must give what sorting before each pass gave, on
// ties as numbers but not texts, absent and text scores, a student without
// a school, and equal totals that keep their filled order.
TEST(RankedListing, PassesInSortedOrderRankAsSortingFirstDid) {
  const std::vector<listing_test::Row> students = {
      {"一中", "1", "1", "甲", "90", "", ""},    {"一中", "2", "1", "乙", "90.0", "", ""},
      {"一中", "3", "2", "丙", "缺考", "", ""},  {"二中", "4", "1", "丁", "85分", "5", ""},
      {"二中", "5", "1", "戊", "", "", ""},      {"", "6", "1", "己", "90", "", ""},
      {"一中", "7", "1", "庚", "45", "45", ""},  {"二中", "8", "2", "辛", "90", "", ""},
      {"一中", "9", "2", "壬", "0", "", "缺考"}, {"二中", "10", "1", "癸", "89.99", "", ""}};
  const data::SubjectLines lines = Lines({"语文", "数学", "英语"}, 5, {1, 1, 0}, {100, 100, 100});
  common::NullProgress progress;
  grid::ReportGrid now = MakeListing(kHeaders, students);
  reports::AddTotalAndRanks(now, lines, progress);
  const int total = HeaderCol(now, "总分");
  const int grade = HeaderCol(now, "段名");
  const int in_class = HeaderCol(now, "班名");

  grid::ReportGrid before = now;
  reports::RestoreFilledOrder(before);
  for (int r = 1; r < before.Rows() - 1; ++r) {
    before.SetCellText(r, grade, "");
    before.SetCellText(r, in_class, "");
  }
  before.Sort(total, false);
  reports::WriteRanks(before, total, grade, reports::kNoGroup, reports::kRankSkip);
  reports::SortOnPresentColumns(before, {1, 3});
  reports::WriteRanks(before, total, in_class, 3, reports::kRankSkip);
  for (int c = 0; c < now.Cols(); ++c)
    EXPECT_EQ(Column(now, c), Column(before, c)) << "column " << c;
  // Spot checks: 甲, 乙 and 庚 tie at 90 in 一中's class 1, in their filled order.
  EXPECT_EQ(Column(now, 4)[0], "甲");
  EXPECT_EQ(Column(now, 4)[1], "乙");
  EXPECT_EQ(Column(now, 4)[2], "庚");
  EXPECT_EQ(Column(now, in_class)[2], "1");
}

// The totals read each score's text as NumericValue reads it and add the
// weighted terms in single precision in the order of the columns, whatever
// the texts: absent, text and partly numeric scores, texts too long to be
// remembered, -0, exponents, more digits than a float keeps, odd weights.
TEST(RankedListing, TotalsAreTheTextsReadBackAndAddedInOrder) {
  const std::vector<listing_test::Row> rows = {
      {"", "缺考", "85分"},      {"87.5", "66.66666666666667", "1e3"},
      {"-0", "", "12345678.5"},  {"0.1", "0.2", "0.3"},
      {"87.5", "缺考", "85分"},  {"100", "100", "100"},
      {"12345678.5", "-3", "7"}, {"33.33333333333333", "1E-5", " 9"}};
  const std::vector<reports::WeightedColumn> terms = {{1, 100}, {2, 50}, {3, 33}, {1, 7}};
  const grid::ReportGrid g = MakeListing({"语文", "数学", "英语"}, rows);
  const std::vector<float> totals = reports::WeightedTotals(g, terms);
  ASSERT_EQ(totals.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    float want = 0;
    for (const reports::WeightedColumn& t : terms)
      want = static_cast<float>(
          want +
          t.weight_pct * common::NumericValue(rows[i][static_cast<std::size_t>(t.col - 1)]) / 100);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(totals[i]), std::bit_cast<std::uint32_t>(want))
        << "row " << i + 1;
  }
  EXPECT_THROW(reports::WeightedTotals(g, {{4, 100}}), grid::GridError);
}

// 成绩表 fills from its stored copy as the query fills it:
// Null and text scores in a number column, a 学号 kept whole, reals with and
// without fractions, a SINGLE column written with 7 digits; the copy
// being made and the copy read back.
TEST(RankedListing, TheStoredCopyFillsAsTheQueryDoes) {
  reports_test::TempDatabase fixture;
  {
    engine::Database db = fixture.Open();
    reports_test::CreateSmallExam(db);
    db.Execute("ALTER TABLE 成绩表 ADD COLUMN 体育 SINGLE");
    db.Execute("UPDATE 成绩表 SET 体育 = 200 / 3 WHERE 学号 < 4");
    db.Execute("UPDATE 成绩表 SET 语文 = '缺考', 学号 = 2024000001 WHERE 学号 = 9");
  }
  const auto by_query = [&] {
    output::Document doc;
    output::ShowSourceInGrid(doc, fixture.state, "成绩表", output::FieldFormat::kAsEntered);
    return doc;
  };
  const auto expect_copy_fills_as = [&](const output::Document& query) {
    output::Document copy;
    reports::FillScoreTable(copy, fixture.state);
    EXPECT_TRUE(copy.grid.Contents() == query.grid.Contents());
    EXPECT_EQ(copy.title, query.title);
  };
  const output::Document query = by_query();
  ASSERT_EQ(query.grid.Rows(), 12);
  EXPECT_EQ(Column(query.grid, 5)[8], "缺考");
  EXPECT_EQ(Column(query.grid, 7)[0], "66.66666");
  engine::Database db = fixture.Open();
  for (const char* read : {"made", "stored"}) {
    SCOPED_TRACE(read);
    expect_copy_fills_as(query);
    EXPECT_TRUE(stats::StoredTableCurrent(db));
  }
  db.Execute("DELETE FROM 成绩表");
  expect_copy_fills_as(by_query());
  EXPECT_TRUE(stats::StoredTableCurrent(db));
  // Without 成绩表 the fill is the query's empty report.
  db.Execute("DROP TABLE 成绩表");
  expect_copy_fills_as(by_query());
}

}  // namespace
