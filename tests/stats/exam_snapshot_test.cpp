#include "stats/exam_snapshot.h"

#include <gtest/gtest.h>

#include "analysis_exam.h"

namespace {

using analysis_test::ExamDatabase;

stats::ExamSnapshot ReadExam(const ExamDatabase& exam) {
  engine::Database db = exam.Open();
  common::NullProgress progress;
  return stats::ExamSnapshot::Read(db, exam.state.subject_lines, progress);
}

std::vector<std::string> ClassTexts(const stats::ExamSnapshot& s) {
  std::vector<std::string> out;
  for (const stats::ExamClass& c : s.Classes())
    out.push_back(s.Schools()[static_cast<std::size_t>(c.school)].text + " " + c.key.text);
  return out;
}

TEST(ExamSnapshotTest, TextClassesOrderByTheirBytesAndAnEmptyOneComesFirst) {
  // As GROUP BY orders them: "高一(10)班" before "高一(9)班" ('1' < '9'),
  // and a student without a class before both.
  analysis_test::ExamRows rows;
  rows.scores = {{"学校", "学号", "班级", "姓名", "语文", "数学", "体育"},
                 {"一中", "1", "高一(9)班", "甲", "80", "90", "40"},
                 {"一中", "2", "高一(10)班", "乙", "70", "90", "40"},
                 {"一中", "3", "高一(1)班", "丙", "60", "90", "40"},
                 {"一中", "4", "高一(9)班", "丁", "50", "90", "40"}};
  ExamDatabase exam(rows);
  ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
  {
    // The import refuses a student without a class; a database of an older
    // import may still hold one.
    engine::Database db = exam.Open();
    for (const char* table : {"成绩表", "统计表"})
      db.Execute(std::string("UPDATE ") + table + " SET 班级 = '' WHERE 学号 = 3");
  }
  const stats::ExamSnapshot s = ReadExam(exam);
  EXPECT_EQ(ClassTexts(s),
            (std::vector<std::string>{"一中 ", "一中 高一(10)班", "一中 高一(9)班"}));
  EXPECT_EQ(std::vector<std::uint32_t>(s.ClassOf().begin(), s.ClassOf().end()),
            (std::vector<std::uint32_t>{2, 1, 0, 2}));
}

}  // namespace
