#include "data/import.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../scratch_dir.h"
#include "../stats/analysis_exam.h"
#include "data/score_database.h"
#include "data/xlsx_writer.h"

namespace data {
namespace {

namespace fs = std::filesystem;

using analysis_test::FillSheet;
using analysis_test::Row;

// Seven students whose totals, counts and ranks were worked out by hand.
struct ExamBook {
  std::vector<Row> scores = {
      {"学校", "学号", "班级", "姓名", "语文", "数学", "体育", "综合"},
      {"一中", "1", "高一(1)班", "A", "150", "150", "80", "360"},
      {"一中", "2", "高一(1)班", "B", "140", "140", "95", "359.5"},
      {"一中", "3", "高一(2)班", "C", "130", "150", "60", "0"},
      {"O'Neil中学", "4", "高一(1)班", "D", "127.5", "122.5", "", "100"},
      {"O'Neil中学", "5", "高一(1)班", "E", "127", "123", "59", "200"},
      {"O'Neil中学", "6", "高一(2)班", "F", "90", "150", "100", "300"},
      {"O'Neil中学", "7", "高一(2)班", "G", "", "100", "90", "50"},
  };
  std::vector<Row> teachers = {
      {"学校", "班级", "语文", "数学", "体育", "综合"},
      {"一中", "高一(1)班", "张老师", "李老师", "王老师", "赵老师"},
  };
  std::vector<Row> lines = {
      {"项目", "语文", "数学", "体育", "综合"}, {"满分", "150", "150", "100", "400"},
      {"优秀", "85", "85", "90", "90"},         {"优良", "75", "75", "80", "75"},
      {"及格", "60", "60", "60", "60"},         {"主科", "1", "1", "0", "0"},
      {"权重", "100", "100", "50", "0"},
  };
  std::vector<std::string> names = {"Sheet1", "Sheet2", "Sheet3"};

  void Write(const std::string& path) const {
    Workbook book;
    FillSheet(book.AddSheet(names[0]), scores);
    FillSheet(book.AddSheet(names[1]), teachers);
    FillSheet(book.AddSheet(names[2]), lines);
    WriteWorkbookXlsx(path, book);
  }
};

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDatabasePath(state_, (dir_ / "sujuf.db").string()); }

  ImportResult Import(const ExamBook& book) {
    const std::string path = (dir_ / "exam.xlsx").string();
    book.Write(path);
    common::NullProgress progress;
    return ImportExam(state_, path, progress);
  }

  std::vector<std::string> Column(const std::string& sql) {
    engine::Database db = OpenScoreDatabase(state_);
    engine::Recordset rs = db.OpenRecordset(sql);
    std::vector<std::string> out;
    for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs.FieldValue(0).AsText(rs.FieldTypeOf(0)));
    return out;
  }

  // Everything the previous exam left, to compare before and after a failure.
  std::string Snapshot() {
    std::string out;
    engine::Database db = OpenScoreDatabase(state_);
    for (const char* table : {"成绩表", "统计表", "教师表", "三线表"}) {
      engine::Recordset rs = db.OpenRecordset(table);
      for (; !rs.Eof(); rs.MoveNext())
        for (int k = 0; k < rs.FieldCount(); ++k) out += rs.FieldValue(k).AsText() + "|";
      out += "\n";
    }
    return out;
  }

  test_support::ScratchDir scratch_{"scorestat_import"};
  const fs::path dir_ = scratch_.path();
  AppState state_;
};

TEST_F(ImportTest, TotalsCountsAndRanksAsWorkedOutByHand) {
  ImportResult r = Import(ExamBook{});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.message.rfind(kImportSuccessMessage, 0), 0u) << "the success text comes first";
  EXPECT_EQ(r.caption, "导入");
  const std::string order = " from 统计表 ORDER BY 学号";
  EXPECT_EQ(Column("select 主科总分" + order),
            (std::vector<std::string>{"300", "280", "280", "250", "250", "240", "100"}));
  EXPECT_EQ(Column("select 主科排名" + order),
            (std::vector<std::string>{"1", "2", "2", "4", "4", "6", "7"}));
  // 体育 weighs 50: half its score in the total; the empty 体育 of D counts 0.
  EXPECT_EQ(Column("select 全科总分" + order),
            (std::vector<std::string>{"340", "327.5", "310", "250", "279.5", "290", "145"}));
  EXPECT_EQ(Column("select 全科排名" + order),
            (std::vector<std::string>{"1", "2", "3", "6", "5", "4", "7"}));
  // 127.5 is 优秀 for a 150-mark subject at 85 %; 360 for a 400-mark one at 90 %.
  EXPECT_EQ(Column("select 全科优秀数" + order),
            (std::vector<std::string>{"3", "3", "2", "1", "0", "2", "1"}));
  EXPECT_EQ(Column("select 主科优秀数" + order),
            (std::vector<std::string>{"2", "2", "2", "1", "0", "1", "0"}));
  EXPECT_EQ(Column("select 全科及格数" + order),
            (std::vector<std::string>{"4", "4", "3", "2", "2", "4", "2"}));
  EXPECT_EQ(Column("select 主科及格数" + order),
            (std::vector<std::string>{"2", "2", "2", "2", "2", "2", "1"}));
  EXPECT_EQ(Column("select 学校 from 成绩表 where 学号=4"),
            (std::vector<std::string>{"O'Neil中学"}));
  EXPECT_EQ(state_.subject_lines.Count(), 4);
  EXPECT_EQ(state_.subject_lines.FirstSubjectCol, 5);
}

TEST_F(ImportTest, NoMainSubjectGivesZeroMainTotals) {
  ExamBook book;
  book.lines[5] = {"主科", "0", "0", "0", "0"};
  ASSERT_TRUE(Import(book).ok);
  EXPECT_EQ(Column("select distinct 主科总分 from 统计表"), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Column("select distinct 主科排名 from 统计表"), (std::vector<std::string>{"1"}));
}

// Each broken workbook is refused with its message and leaves the previous
// exam exactly as it was; tests/data/hostile_test.cpp has the other refusals.
TEST_F(ImportTest, FailedImportsLeaveThePreviousExam) {
  ASSERT_TRUE(Import(ExamBook{}).ok);
  const std::string before = Snapshot();

  struct Case {
    const char* what;
    std::function<void(ExamBook&)> change;
    std::string expected_part;
  };
  const std::vector<Case> cases = {
      // A sheet found by its Chinese name must still have its header.
      {"teachers' sheet renamed and without 学校",
       [](ExamBook& b) {
         b.names[1] = "教师";
         b.teachers[0][0] = "单位";
       },
       "工作表 教师 缺少“学校”列"},
      {"blank 学号 header", [](ExamBook& b) { b.scores[0][1] = " "; }, "缺少“学号”列"},
      // Reserved words pass the character check, but every report's SQL
      // would fail on them (LEFT) or read them as a constant (true).
      {"subject LEFT",
       [](ExamBook& b) { b.scores[0][7] = b.teachers[0][5] = b.lines[0][4] = "Left"; },
       "“Left”是查询语言的保留字"},
      {"subject true",
       [](ExamBook& b) { b.scores[0][7] = b.teachers[0][5] = b.lines[0][4] = "true"; },
       "“true”是查询语言的保留字"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExamBook book;
    c.change(book);
    ImportResult r = Import(book);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(c.expected_part), std::string::npos) << r.message;
    EXPECT_EQ(Snapshot(), before);
  }
}

TEST_F(ImportTest, MissingSheetHasItsOwnCaption) {
  ExamBook book;
  book.names[2] = "设置";
  for (std::size_t r = 1; r < book.lines.size(); ++r)
    book.lines[r][0] = "第" + std::to_string(r) + "项";
  ImportResult r = Import(book);
  EXPECT_EQ(r.caption, "导入提示");
  // The old message, then which sheet was not found.
  EXPECT_EQ(r.message, std::string(kMissingSheetMessage) + "\n找不到的工作表：三线表（Sheet3）");
}

}  // namespace
}  // namespace data
