// The exam library: what an import adds, what a switch restores, and the
// refusals. Two tiny exams with different subjects, so that a switch that
// forgot a table or a column type shows.
#include "data/exam_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../scratch_dir.h"
#include "../stats/analysis_exam.h"
#include "data/import.h"
#include "data/score_database.h"

namespace data {
namespace {

namespace fs = std::filesystem;

// 期中: 语文 and 数学, three students in two classes. 期末: 语文 and 英语,
// two students; a switch must bring 数学 back and drop 英语.
class ExamLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.database_path = (dir_ / "sujuf.db").string();
    midterm_ = (dir_ / "期中.xlsx").string();
    final_ = (dir_ / "期末.xlsx").string();
    // The lines of analysis_exam.h without 体育: 语文 and 数学 (out of 150),
    // both main; 期末 puts 英语 (out of 100, not main) in 数学's place.
    analysis_test::ExamRows midterm;
    midterm.scores = {{"学校", "学号", "班级", "姓名", "语文", "数学"},
                      {"一中", "1", "1", "甲", "90", "100"},
                      {"一中", "2", "1", "乙", "80", ""},
                      {"二中", "3", "2", "丙", "70", "60"}};
    midterm.teachers = {{"学校", "班级", "语文", "数学"}, {"一中", "1", "张", "李"}};
    for (analysis_test::Row& row : midterm.lines) row.pop_back();
    analysis_test::WriteExamBook(midterm, midterm_);
    analysis_test::ExamRows final_exam = midterm;
    final_exam.scores = {{"学校", "学号", "班级", "姓名", "语文", "英语"},
                         {"一中", "1", "1", "甲", "95", "88"},
                         {"一中", "4", "1", "丁", "85", "70"}};
    final_exam.teachers = {{"学校", "班级", "语文", "英语"}, {"一中", "1", "张", "王"}};
    final_exam.lines[0][2] = "英语";
    final_exam.lines[1][2] = "100";
    final_exam.lines[5][2] = "0";
    analysis_test::WriteExamBook(final_exam, final_);
  }
  void Import(const std::string& path) {
    common::NullProgress quiet;
    ImportResult r = ImportExam(state_, path, quiet);
    ASSERT_TRUE(r.ok) << r.message;
  }

  std::string Column(const std::string& sql) {
    engine::Database db = engine::Database::Open(state_.database_path);
    engine::Recordset rs = db.OpenRecordset(sql);
    std::string out;
    for (; !rs.Eof(); rs.MoveNext()) out += rs.FieldValue(0).AsText(rs.FieldTypeOf(0)) + " ";
    return out;
  }

  test_support::ScratchDir scratch_{"scorestat_library"};
  const fs::path dir_ = scratch_.path();
  AppState state_;
  std::string midterm_, final_;
  common::NullProgress quiet_;
};

TEST_F(ExamLibraryTest, EveryImportIsListedOnceInImportOrderAndTheLastIsCurrent) {
  Import(midterm_);
  Import(final_);
  const std::vector<ExamInfo> exams = ListExams(state_.database_path);
  ASSERT_EQ(exams.size(), 2u);
  // The factory titles name no exam, and the workbooks have no title row:
  // the file names do.
  EXPECT_EQ(exams[0].name, "期中");
  EXPECT_EQ(exams[1].name, "期末");
  EXPECT_EQ(exams[0].id, 1);
  EXPECT_EQ(exams[1].id, 2);
  EXPECT_EQ(exams[0].sources, std::vector<std::string>{"期中.xlsx"});
  // 期中: 3 students, schools 一中 and 二中, classes 一中/1 and 二中/2, 2 subjects.
  EXPECT_EQ(exams[0].students, 3);
  EXPECT_EQ(exams[0].schools, 2);
  EXPECT_EQ(exams[0].classes, 2);
  EXPECT_EQ(exams[0].subjects, 2);
  EXPECT_EQ(exams[1].students, 2);
  EXPECT_EQ(exams[1].classes, 1);
  EXPECT_EQ(CurrentExamId(state_.database_path), 2);
}

TEST_F(ExamLibraryTest, SwitchRestoresAllFourTablesWithTheirTypesAndReloadsTheSubjects) {
  Import(midterm_);
  Import(final_);
  ASSERT_EQ(state_.subject_lines.SubjectName, (std::vector<std::string>{"语文", "英语"}));
  SwitchExam(state_, 1, quiet_);
  EXPECT_EQ(CurrentExamId(state_.database_path), 1);
  EXPECT_EQ(state_.subject_lines.SubjectName, (std::vector<std::string>{"语文", "数学"}));
  EXPECT_EQ(Column("select 姓名 from 成绩表"), "甲 乙 丙 ");
  // 乙 has no 数学: 全科总分 80 only, and the ranks the import gave.
  EXPECT_EQ(Column("select 全科总分 from 统计表"), "190 80 130 ");
  EXPECT_EQ(Column("select 全科排名 from 统计表"), "1 3 2 ");
  EXPECT_EQ(Column("select 数学 from 教师表"), "李 ");
  EXPECT_EQ(Column("select 数学 from 三线表"), "150 85 75 60 1 100 ");
  {
    engine::Database db = engine::Database::Open(state_.database_path);
    engine::Recordset rs = db.OpenRecordset("select 全科总分, 全科排名 from 统计表");
    // Declared types survive the copy: a total stays single precision.
    EXPECT_EQ(rs.FieldTypeOf(0), engine::FieldType::kSingle);
    EXPECT_EQ(rs.FieldTypeOf(1), engine::FieldType::kLong);
  }
  SwitchExam(state_, 2, quiet_);
  EXPECT_EQ(Column("select 姓名 from 成绩表"), "甲 丁 ");
  EXPECT_EQ(ListExams(state_.database_path).size(), 2u);
}

TEST_F(ExamLibraryTest, RefusalsLeaveTheLibraryAsItWas) {
  Import(midterm_);
  Import(final_);
  EXPECT_THROW(SwitchExam(state_, 7, quiet_), LibraryError);
  EXPECT_THROW(DeleteExam(state_.database_path, 2), LibraryError);  // the current exam
  EXPECT_THROW(RenameExam(state_.database_path, 1, "  "), LibraryError);
  EXPECT_THROW(RenameExam(state_.database_path, 9, "期中考试"), LibraryError);
  EXPECT_EQ(ListExams(state_.database_path).size(), 2u);
  EXPECT_EQ(CurrentExamId(state_.database_path), 2);

  // A workbook the import refuses adds no exam and leaves no file behind.
  const std::string broken = (dir_ / "坏.xlsx").string();
  std::ofstream(broken) << "not a workbook";
  common::NullProgress quiet;
  EXPECT_FALSE(ImportExam(state_, broken, quiet).ok);
  EXPECT_EQ(ListExams(state_.database_path).size(), 2u);
  EXPECT_FALSE(fs::exists(ExamFilePath(state_.database_path, 3)));
}

TEST_F(ExamLibraryTest, RenameAndDelete) {
  Import(midterm_);
  Import(final_);
  RenameExam(state_.database_path, 1, " 2024学年期中考试 ");
  EXPECT_EQ(FindExam(state_.database_path, 1).name, "2024学年期中考试");
  EXPECT_TRUE(FindExam(state_.database_path, 1).named_by_user);
  DeleteExam(state_.database_path, 1);
  const std::vector<ExamInfo> exams = ListExams(state_.database_path);
  ASSERT_EQ(exams.size(), 1u);
  EXPECT_EQ(exams[0].id, 2);
  EXPECT_FALSE(fs::exists(ExamFilePath(state_.database_path, 1)));
}

TEST_F(ExamLibraryTest, ADatabaseFromBeforeTheLibraryGetsItsExamListedOnce) {
  Import(midterm_);
  // What an older program left: the four tables, no library, no 当前考试.
  fs::remove_all(LibraryFolder(state_.database_path));
  {
    engine::Database db = engine::Database::Open(state_.database_path);
    db.Execute("DROP TABLE 当前考试");
  }
  EXPECT_EQ(CurrentExamId(state_.database_path), 0);
  EXPECT_TRUE(EnsureCurrentExamListed(state_));
  EXPECT_FALSE(EnsureCurrentExamListed(state_));  // a second start adds nothing
  std::vector<ExamInfo> exams = ListExams(state_.database_path);
  ASSERT_EQ(exams.size(), 1u);
  EXPECT_EQ(exams[0].name, "原有考试");  // nothing tells its name: no titles, no file
  EXPECT_EQ(exams[0].students, 3);
  EXPECT_EQ(CurrentExamId(state_.database_path), exams[0].id);
  // Its tables are kept, so the next import does not lose the exam.
  Import(final_);
  SwitchExam(state_, exams[0].id, quiet_);
  EXPECT_EQ(Column("select 姓名 from 成绩表"), "甲 乙 丙 ");
}

TEST_F(ExamLibraryTest, AFileLeftByAnInterruptedImportIsNotListedAndIsCleared) {
  Import(midterm_);
  // An import killed before its commit leaves an exam file without 考试信息.
  fs::create_directories(LibraryFolder(state_.database_path));
  std::ofstream(ExamFilePath(state_.database_path, 5)).close();
  EXPECT_EQ(ListExams(state_.database_path).size(), 1u);
  Import(final_);
  EXPECT_FALSE(fs::exists(ExamFilePath(state_.database_path, 5)));
  // The leftover's number is free again, so numbering carries on from 1.
  EXPECT_EQ(CurrentExamId(state_.database_path), 2);
}

TEST_F(ExamLibraryTest, ExportedExamImportsBackToTheSameTables) {
  Import(midterm_);
  Import(final_);
  const std::string exported = (dir_ / "导出.xlsx").string();
  ExportExam(state_.database_path, 1, exported);
  const std::string before = Column("select 全科总分 from 统计表");
  Import(exported);
  EXPECT_EQ(Column("select 姓名 from 成绩表"), "甲 乙 丙 ");
  EXPECT_EQ(Column("select 全科总分 from 统计表"), "190 80 130 ");
  EXPECT_EQ(Column("select 数学 from 三线表"), "150 85 75 60 1 100 ");
  EXPECT_EQ(Column("select 数学 from 教师表"), "李 ");
  EXPECT_NE(before, Column("select 全科总分 from 统计表"));
}

}  // namespace
}  // namespace data
