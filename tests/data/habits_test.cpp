// The import on workbooks shaped as teachers make them, saved by the programs
// they use (tools/make_import_fixtures.py). Each is imported over a database
// that holds a previous exam: an accepted one must give every number right,
// a refused one must name the cell or row, say what to do, and leave the
// previous exam exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "../scratch_dir.h"
#include "data/import.h"
#include "data/score_database.h"
#include "query_text.h"

namespace data {
namespace {

namespace fs = std::filesystem;

const fs::path kHabits = fs::path(SCORESTAT_SOURCE_DIR) / "tests/fixtures/habits";

class Habits : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDatabasePath(state_, (dir_ / "sujuf.db").string());
    const ImportResult previous = Import(
        {(fs::path(SCORESTAT_SOURCE_DIR) / "tests/fixtures/hostile/previous.xlsx").string()});
    ASSERT_TRUE(previous.ok) << previous.message;
    before_ = Dump();
  }
  ImportResult Import(std::vector<std::string> paths) {
    common::NullProgress progress;
    return ImportExam(state_, paths, progress);
  }
  ImportResult Import(const char* file) { return Import({(kHabits / file).string()}); }

  std::string Query(const std::string& sql) {
    engine::Database db = OpenScoreDatabase(state_);
    return data_test::QueryText(db, sql);
  }

  std::string Dump() {
    std::string out;
    for (const char* t : {"成绩表", "统计表", "教师表", "三线表"})
      out += Query(std::string("SELECT * FROM ") + t);
    return out;
  }

  void ExpectRefused(const ImportResult& r, const std::string& part) {
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(part), std::string::npos) << r.message;
    EXPECT_EQ(Dump(), before_) << "a refused workbook must leave the previous exam";
  }

  test_support::ScratchDir scratch_{"scorestat_habits"};
  const fs::path dir_ = scratch_.path();
  AppState state_;
  std::string before_;
};

// The six students of every fixture, by hand: 语文 and 数学 out of 150
// (main, weight 100), 英语 out of 100 (weight 50). 全科总分 = 语文 + 数学 +
// 英语/2; the lines of 语文 are 127.5/112.5/90, of 英语 90/80/60.
const char* const kTotals =
    "2024001|250|295|2\n"      // 120+130, +90/2; 130 and 90 are 优秀
    "2024002|190.5|230.5|0\n"  // 100+90.5, +80/2
    "2024003|187.5|187.5|1\n"  // 127.5+60, 英语 absent; 127.5 is at the 语文 line
    "2024004|220|267.5|2\n"    // 80+140, +95/2; 140 and 95 are 优秀
    "2024005|300|350|3\n"      // 150+150, +100/2
    "2024006|90|119.5|0\n";    // 90+0, +59/2

std::string TotalsSql() {
  return "SELECT 学号, 主科总分, 全科总分, 全科优秀数 FROM 统计表 ORDER BY 学号";
}

TEST_F(Habits, FormulasComeInWithTheirSavedResults) {
  // 语文 of 甲 is =100+20, 数学 of 乙 =SUM(80,10.5), 英语 of 丙 =IF(...,"",0)
  // (an absence), 英语 of 己 =59; LibreOffice saved their results.
  for (const char* file : {"formulas.xls", "formulas.ods"}) {
    SCOPED_TRACE(file);
    const ImportResult r = Import(file);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(Query(TotalsSql()), kTotals);
  }
}

// The same exam in the shapes and formats teachers send: Excel 95 in GBK,
// stray and full-width spaces and full-width digits (１２０, ９０．５), the
// sheets under Chinese names behind a 说明 sheet or under any names at all,
// lines typed as 85 %, lines rows in another order with longer labels.
TEST_F(Habits, TheSameExamInEveryShapeGivesTheSameTotals) {
  for (const char* file : {"plain_biff7.xls", "stray_spaces.xlsx", "chinese_sheet_names.xlsx",
                           "sheets_by_content.xls", "percent_lines.xls", "reordered_lines.ods",
                           "title_rows.xlsx", "merged_schools.xls", "merged_schools.ods"}) {
    SCOPED_TRACE(file);
    const ImportResult r = Import(file);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(Query(TotalsSql()), kTotals);
    const SubjectLines& l = state_.subject_lines;
    EXPECT_EQ(l.SubjectName, (std::vector<std::string>{"语文", "数学", "英语"}));
    EXPECT_EQ(l.ExcellentPct, (std::vector<int>{85, 85, 90})) << "85 %, not 0.85";
    EXPECT_EQ(l.PassPct, (std::vector<int>{60, 60, 60}));
    EXPECT_EQ(l.MainFlag, (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(l.TotalWeightPct, (std::vector<int>{100, 100, 50}));
    // Two schools; the trimmed 高一(1)班 of 城关中学 is one class, not three.
    EXPECT_EQ(Query("SELECT DISTINCT 学校, 班级 FROM 成绩表 ORDER BY 学校, 班级"),
              "城关中学|高一(1)班\n城关中学|高一(2)班\n实验中学|高一(1)班\n");
    EXPECT_EQ(Query("SELECT count(*) FROM 教师表"), "3\n");
  }
}

TEST_F(Habits, TheSummaryCountsAndNamesWhatWasSkipped) {
  ImportResult r = Import("title_rows.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.message.rfind(kImportSuccessMessage, 0), 0u) << "the success text comes first";
  EXPECT_NE(r.message.find("学生 6 人，学校 2 所，班级 3 个，科目 3 门（语文、数学、英语）"),
            std::string::npos)
      << r.message;

  r = Import("summary_rows.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(Query(TotalsSql()), kTotals) << "平均分, 合计 and 最高分 are no students";
  EXPECT_NE(r.message.find("汇总 3 行：Sheet1 第 8 行（平均分）、Sheet1 第 9 行（合计）、Sheet1 第 "
                           "11 行（最高分）；空行 1 行"),
            std::string::npos)
      << r.message;

  r = Import("duplicate_ids.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_NE(r.message.find("有 1 个学号与前面的重复：2024001（第 2、5 行）"), std::string::npos)
      << r.message;
}

struct Refusal {
  const char* file;
  const char* message;  // part of what the user reads
};

TEST_F(Habits, WhatCannotBeTakenSafelyIsRefusedNamingTheCellOrRow) {
  const Refusal cases[] = {
      {"openpyxl_formulas.xlsx",
       "工作表 Sheet1 的 E2 单元格的公式没有保存计算结果。请用电子表格程序"},
      {"two_row_header.xls",
       "工作表 Sheet1 的第 1 行和第 2 行是两行表头（科目名“语文”在第 2 行）。表头只能有一行"},
      {"empty_class.xlsx", "工作表 Sheet1 第 4、6 行的学校或班级是空的"},
      {"fraction_line.xlsx",
       "工作表 Sheet3 的 B3 单元格（语文的优秀）是 0.85。三线和权重是百分数，例如 85 表示 85%"},
      {"lines_label_missing.xlsx", "工作表 Sheet3（三线表）中找不到“主科”一行"},
      {"date_score.xlsx", "工作表 Sheet1 的 F4 单元格（数学）是日期格式，不是成绩"},
      {"duplicate_class.xlsx", "工作表 Sheet2 第 2 行和第 5 行是同一个班（城关中学 高一(1)班）"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.file);
    ExpectRefused(Import(c.file), c.message);
  }
}

TEST_F(Habits, OneWorkbookPerSchoolMakesOneExam) {
  const ImportResult r =
      Import({(kHabits / "school_a.xlsx").string(), (kHabits / "school_b.xls").string()});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(Query(TotalsSql()), kTotals);
  EXPECT_EQ(Query("SELECT count(*) FROM 教师表"), "3\n");
  EXPECT_EQ(Query("SELECT 全科排名 FROM 统计表 ORDER BY 学号"), "2\n4\n5\n3\n1\n6\n")
      << "ranked across both schools";
  EXPECT_NE(r.message.find("合并了 2 个文件"), std::string::npos) << r.message;
  before_ = Dump();

  const std::string a = (kHabits / "school_a.xlsx").string();
  ExpectRefused(Import({a, (kHabits / "school_b_other_lines.ods").string()}),
                "三线表不同：文件 " + a + " 的 C3 单元格（数学的优秀）是 85，文件 ");
  ExpectRefused(Import({a, (kHabits / "school_b_same_student.ods").string()}),
                "学号 2024004 在文件 " + a);
}

}  // namespace
}  // namespace data
