// The pairing rules between two exams, case by case: each case is a pair of
// tiny exams whose only difference is the rule it shows.
#include "stats/exam_matching.h"

#include <gtest/gtest.h>

#include "analysis_exam.h"
#include "stats/exam_history.h"

namespace {

using analysis_test::ExamRows;
using analysis_test::Row;

// An exam of the given students (学校, 学号, 姓名), all in class 1 with
// 语文 80.
ExamRows Students(const std::vector<Row>& students) {
  ExamRows rows;
  rows.scores = {{"学校", "学号", "班级", "姓名", "语文"}};
  for (const Row& s : students) rows.scores.push_back({s[0], s[1], "1", s[2], "80"});
  rows.teachers = {{"学校", "班级", "语文"}};
  rows.lines = {{"项目", "语文"}, {"满分", "100"}, {"优秀", "85"}, {"优良", "75"},
                {"及格", "60"},   {"主科", "1"},   {"权重", "100"}};
  return rows;
}

stats::ExamSnapshot Read(const analysis_test::ExamDatabase& exam) {
  engine::Database db = exam.Open();
  data::SubjectLines lines;
  common::NullProgress quiet;
  return stats::ReadExamDatabase(db, lines, quiet);
}

// The base index of each current student, -1 for none.
std::vector<std::int64_t> Pairing(const std::vector<Row>& current, const std::vector<Row>& base) {
  const analysis_test::ExamDatabase now(Students(current));
  const analysis_test::ExamDatabase before(Students(base));
  const stats::StudentMatching m = stats::MatchStudents(Read(now), Read(before));
  std::size_t paired = 0;
  for (std::int64_t b : m.base_of) paired += b != stats::kUnmatched;
  EXPECT_EQ(m.matched, paired);
  return m.base_of;
}

using Pairs = std::vector<std::int64_t>;

TEST(ExamMatchingTest, NumberFirstEvenWhenTheNameChanged) {
  // A corrected name keeps the student; the order of the rows does not matter.
  EXPECT_EQ(Pairing({{"一中", "7", "孙贰"}, {"一中", "8", "周八"}},
                    {{"一中", "8", "周八"}, {"一中", "7", "孙二"}}),
            (Pairs{1, 0}));
}

TEST(ExamMatchingTest, ANumberTwiceInEitherExamFallsBackToSchoolAndName) {
  // 学号 5 twice in the base: 甲 pairs by 学校 + 姓名, 乙 has no name match.
  EXPECT_EQ(Pairing({{"一中", "5", "甲"}, {"一中", "6", "乙"}},
                    {{"一中", "5", "甲"}, {"一中", "5", "丙"}}),
            (Pairs{0, -1}));
}

TEST(ExamMatchingTest, NamesPairOnlyWhenUniqueInBothExamsAndInTheSameSchool) {
  // 王五 twice in the base (重名): never guessed. 赵六 of 二中 is not 一中's.
  EXPECT_EQ(
      Pairing(
          {{"一中", "", "王五"}, {"一中", "", "赵六"}, {"二中", "", "陈七"}},
          {{"一中", "", "王五"}, {"一中", "", "王五"}, {"二中", "", "赵六"}, {"二中", "", "陈七"}}),
      (Pairs{-1, -1, 3}));
}

TEST(ExamMatchingTest, AStudentPairedByNumberIsNotPairedAgainByName) {
  // The base's 孙二 is the current 孙贰 by 学号 7; the current 孙二 without a
  // 学号 is someone else (a new student of the same name) and stays apart.
  EXPECT_EQ(Pairing({{"一中", "7", "孙贰"}, {"一中", "", "孙二"}}, {{"一中", "7", "孙二"}}),
            (Pairs{0, -1}));
}

TEST(ExamMatchingTest, WithoutANameThereIsNothingToPairBy) {
  EXPECT_EQ(Pairing({{"一中", "", ""}}, {{"一中", "", ""}}), (Pairs{-1}));
}

}  // namespace
