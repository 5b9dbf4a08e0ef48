#include "output/report_layout.h"

#include <gtest/gtest.h>

#include "../reports/score_fixture.h"

namespace {

using Cells = std::vector<std::string>;

Cells RowOf(const grid::ReportGrid& g, int row) {
  Cells out;
  for (int c = 0; c < g.Cols(); ++c) out.emplace_back(g.CellText(row, c));
  return out;
}

const output::Date kDay{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{6}};

class FillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::Database db = fixture.Open();
    db.Execute(
        "CREATE TABLE 名单 (学校 text (20),学号 DOUBLE,班级 text (20),姓名 text (20),语文 DOUBLE)");
    db.Execute("INSERT INTO 名单 (学校,学号,班级,姓名,语文) VALUES ('一中',101,'1班','甲',87.5)");
    db.Execute("INSERT INTO 名单 (学校,学号,班级,姓名,语文) VALUES ('一中',102,'1班','乙',Null)");
    db.Execute("CREATE TABLE 空表 (学校 text (20),语文 DOUBLE)");
    fixture.state.report_title = "语文成绩";
  }
  reports_test::TempDatabase fixture;
  output::Document doc;
};

TEST_F(FillTest, ShowsOneRowPerRecordThenAnEmptyRow) {
  EXPECT_FALSE(
      output::ShowSourceInGrid(doc, fixture.state, "名单", output::FieldFormat::kTwoDecimals));
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(doc.caption, "语文成绩");
  EXPECT_EQ(doc.title, "语文成绩 [共有 2 个记录]");
  ASSERT_EQ(g.Cols(), 6);
  ASSERT_EQ(g.Rows(), 4);
  EXPECT_EQ(RowOf(g, 0), (Cells{"", "学校", "学号", "班级", "姓名", "语文"}));
  EXPECT_EQ(RowOf(g, 1), (Cells{"", "一中", "101", "1班", "甲", "87.5"}));
  EXPECT_EQ(RowOf(g, 2), (Cells{"", "一中", "102", "1班", "乙", ""}));
  EXPECT_EQ(RowOf(g, 3), Cells(6, ""));
  EXPECT_EQ(g.CellTag(1, 0), "U");
  EXPECT_EQ(g.CellTag(2, 0), "U");
  EXPECT_TRUE(g.DisplayRowIndex());
  EXPECT_TRUE(g.AutoRedraw());
  // Only the score column: 学号 is a number but not a score.
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(g.ColumnAt(c).format, "") << c;
    EXPECT_NE(g.ColumnAt(c).width, 50) << c;
    EXPECT_NE(g.ColumnAt(c).mask, grid::kMaskNumber) << c;
  }
  EXPECT_EQ(g.ColumnAt(1).mask, grid::kMaskText);
  EXPECT_EQ(g.ColumnAt(5).mask, grid::kMaskNumber);
  EXPECT_EQ(g.ColumnAt(5).width, 50);
  EXPECT_EQ(g.ColumnAt(5).format, "0.00");
}

TEST_F(FillTest, ListingsShowScoresAsEntered) {
  output::Document listing;
  output::ShowSourceInGrid(listing, fixture.state, "名单", output::FieldFormat::kAsEntered);
  EXPECT_EQ(listing.grid.ColumnAt(5).format, "General Number");
}

TEST_F(FillTest, EmptyOrMissingSourceGivesTheEmptyReport) {
  for (const char* source : {"空表", "没有这个表"}) {
    output::Document empty;
    EXPECT_TRUE(
        output::ShowSourceInGrid(empty, fixture.state, source, output::FieldFormat::kTwoDecimals))
        << source;
    EXPECT_EQ(empty.title, "语文成绩 [没有记录]");
    EXPECT_EQ(empty.caption, "语文成绩");
    EXPECT_EQ(empty.grid.Rows(), 2) << source;
    EXPECT_TRUE(empty.grid.AutoRedraw());
  }
  output::Document no_file;
  data::AppState nowhere = fixture.state;
  nowhere.database_path = "/proc/没有/sujuf.db";
  EXPECT_TRUE(
      output::ShowSourceInGrid(no_file, nowhere, "名单", output::FieldFormat::kTwoDecimals));
  EXPECT_EQ(no_file.title, "语文成绩 [没有记录]");
}

TEST_F(FillTest, RefillingReplacesTheRows) {
  output::ShowSourceInGrid(doc, fixture.state, "名单", output::FieldFormat::kTwoDecimals);
  output::ShowSourceInGrid(doc, fixture.state, "名单", output::FieldFormat::kTwoDecimals);
  EXPECT_EQ(doc.grid.Rows(), 4);
}

// A long fill is read in blocks, each added to the grid while the next is
// read, and each field remembers the texts of its numbers: every record
// must land in its own row in order, and a number shown by a SINGLE field
// must not lend its 7-digit text to a double field or a whole number.
TEST(ShowTableInGrid, ALongFillKeepsEveryRecordAndEachFieldsOwnTexts) {
  output::ComputedTable table;
  table.names = {"学号", "语文", "均分", "人数"};
  using engine::FieldType;
  table.types = {FieldType::kDouble, FieldType::kDouble, FieldType::kSingle, FieldType::kLong};
  constexpr int kRecords = 10000;  // two blocks and a part
  for (int i = 0; i < kRecords; ++i) {
    const double score = (i % 450) / 3.0;  // 0, 33.3333333333333, 66.6666666666667, ...
    table.records.push_back({engine::Value::Real(2026000000.0 + i), engine::Value::Real(score),
                             engine::Value::Real(score), engine::Value::Integer(i % 450)});
  }
  table.records[7777][1] = engine::Value();  // absent
  output::Document doc;
  data::AppState state;
  state.report_title = "t";
  EXPECT_FALSE(output::ShowTableInGrid(doc, state, table, output::FieldFormat::kAsEntered));
  ASSERT_EQ(doc.grid.Rows(), kRecords + 2);
  for (int i = 0; i < kRecords; ++i) {
    const std::vector<engine::Value>& record = table.records[static_cast<std::size_t>(i)];
    for (int k = 0; k < 4; ++k) {
      const auto field = static_cast<std::size_t>(k);
      ASSERT_EQ(doc.grid.CellText(i + 1, k + 1), record[field].AsText(table.types[field]))
          << "record " << i << " field " << k;
    }
  }
  EXPECT_EQ(doc.grid.CellText(4, 2), "1");
  EXPECT_EQ(doc.grid.CellText(2, 3), "0.3333333");
  EXPECT_EQ(doc.grid.CellText(2, 2), "0.333333333333333");
}

// A grid as a statistics report leaves the fill: headers, widths before layout.
output::Document StatDocument(const Cells& headers, int width) {
  output::Document doc;
  doc.title = "统计 [共有 1 个记录]";
  doc.grid.SetCols(static_cast<int>(headers.size()) + 1);
  for (std::size_t c = 0; c < headers.size(); ++c) {
    doc.grid.SetCellText(0, static_cast<int>(c) + 1, headers[c]);
    doc.grid.SetColWidth(static_cast<int>(c) + 1, width);
  }
  return doc;
}

TEST(LayoutStatGrid, RenamesHeadersAndFormatsByHeaderWord) {
  output::Document doc =
      StatDocument({"学校", "班级", "参考人数", "总分", "平均分", "及格率", "综合分", "标准差",
                    "分80_100段", "X90-100段", "A90分以上", "主科总分平均"},
                   50);
  data::AppState state;
  output::LayoutStatGrid(doc, state, kDay);
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(RowOf(g, 0),
            (Cells{"", "学校", "班级", "参考人数", "总分", "平均分", "及格率%", "综合分", "标准差",
                   "80_100", "90-100", "90分以上", "主科总分平均"}));
  EXPECT_EQ(g.ColumnAt(3).format, "");
  EXPECT_EQ(g.ColumnAt(4).format, "####0.0");
  EXPECT_EQ(g.ColumnAt(5).format, "##,##0.00");
  EXPECT_EQ(g.ColumnAt(6).format, "");
  EXPECT_EQ(g.ColumnAt(7).format, "##,##0.00");
  EXPECT_EQ(g.ColumnAt(8).format, "##,##0.00");
  EXPECT_EQ(g.ColumnAt(12).format, "##,##0.00");  // 平均 overrides 总分
  // Number columns are 38 wide, or as wide as a header that cannot wrap into
  // 38: 80_100 and 90-100 have no break, and 主科总分平均 needs three
  // ideographs a line; 90分以上 wraps as 90分 | 以上 and fits.
  for (int c = 3; c < g.Cols(); ++c) {
    EXPECT_EQ(g.ColWidth(c) > 38, c == 9 || c == 10 || c == 12) << c;
    EXPECT_GE(g.ColWidth(c), 38) << c;
    EXPECT_EQ(g.ColumnAt(c).mask, grid::kMaskNumber) << c;
  }
  EXPECT_NE(g.ColumnAt(2).mask, grid::kMaskNumber);
  for (int c = 1; c < g.Cols(); ++c) {
    EXPECT_EQ(g.ColumnAt(c).alignment, grid::kAlignCenter);
    EXPECT_TRUE(g.CellStyleAt(0, c).wrap_text);
  }
  // Two header lines in 宋体 9 pt take more than the 32 px a header starts with.
  EXPECT_EQ(g.RowHeight(0), 38);
}

}  // namespace
