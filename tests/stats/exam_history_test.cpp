// A student's and a class's history on the two hand-worked exams of
// two_exams.h (期中 id 1, then 期末, current). The tracking report shows
// most figures (tests/reports/exam_comparison_test.cpp); here are the ones
// it does not: the batch of several students at once, the sizes, an absent
// score, and whom the matching rules leave out.
#include "stats/exam_history.h"

#include <gtest/gtest.h>

#include <cmath>

#include "two_exams.h"

namespace {

class ExamHistoryTest : public ::testing::Test {
 protected:
  two_exams::TwoExams exams;
  common::NullProgress quiet;

  stats::ExamSnapshot Current() {
    engine::Database db = exams.Open();
    data::SubjectLines lines;
    return stats::ReadExamDatabase(db, lines, quiet);
  }
};

TEST_F(ExamHistoryTest, OneStudentByNumberWithTheSizesOfHisExamAndClass) {
  // 张三 (101)'s scores and ranks are the tracking report's; the sizes
  // behind the ranks are not shown there: 9 then 11 students, three in
  // 一中 1 both times.
  const auto h = stats::StudentHistory(exams.state, "101", quiet);
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0].exam.name, "期中");
  EXPECT_EQ(h[0].exam_size, 9);
  EXPECT_EQ(h[1].exam_size, 11);
  for (const auto& r : h) {
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.class_size, 3);
    ASSERT_EQ(r.scores.size(), 2u);
    EXPECT_EQ(r.scores[1].subject, "数学");
  }
}

TEST_F(ExamHistoryTest, SeveralStudentsAtOnceEachPairedByTheRules) {
  // Indices are 期末's rows: 王五 2, 孙二 5, 钱三 6, 郑十 8, the first 刘一 9.
  const stats::ExamSnapshot current = Current();
  const std::size_t asked[] = {2, 5, 6, 8, 9};
  const auto h = stats::StudentHistories(exams.state.database_path, current, asked, quiet);
  ASSERT_EQ(h.size(), 5u);
  // 王五 missed 语文 in 期末: absent, not 0; his 全科总分 counts it as 0.
  EXPECT_TRUE(h[0][0].found);
  EXPECT_TRUE(std::isnan(h[0][1].scores[0].score));
  EXPECT_EQ(h[0][1].all_total, 70);
  // 孙二 pairs by 学校 + 姓名 (学号 104 is twice in 期末): 期中's 1st place.
  EXPECT_TRUE(h[1][0].found);
  EXPECT_EQ(h[1][0].all_rank, 1);
  EXPECT_EQ(h[1][0].student_number, "104");
  // 钱三 and 郑十 are new, the two 刘一 重名: 期中 has nothing for them, and
  // the exam's entry is still there with its name.
  for (std::size_t k : {2u, 3u, 4u}) {
    EXPECT_FALSE(h[k][0].found) << k;
    EXPECT_EQ(h[k][0].exam.name, "期中");
    EXPECT_TRUE(h[k][1].found) << k;
  }
}

TEST_F(ExamHistoryTest, AClassThroughBothExams) {
  // 一中 2's means and ranks are the tracking report's (exam_comparison_test);
  // here the count of classes ranked among and the grade's mean.
  const auto h = stats::ClassHistory(exams.state, "一中", "2", quiet);
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0].class_count, 3);
  // The grade: 1365 over 期中's 9 students, 1660 over 期末's 11.
  EXPECT_NEAR(h[0].grade_mean, 1365.0 / 9, 1e-9);
  EXPECT_NEAR(h[1].grade_mean, 1660.0 / 11, 1e-9);
  // 一中 1 in 期末: 王五 did not sit 语文, so its mean is over two students
  // while the 全科 mean is over three: (160 + 185 + 70) / 3, last of three.
  const auto first = stats::ClassHistory(exams.state, "一中", "1", quiet);
  EXPECT_EQ(*first[1].subject_means[0], 87.5);
  EXPECT_NEAR(first[1].total_mean, 415.0 / 3, 1e-9);
  EXPECT_EQ(first[1].rank, 3);
  // A class no exam has: every entry there, none found, the grade's mean
  // still known.
  for (const auto& r : stats::ClassHistory(exams.state, "三中", "1", quiet)) {
    EXPECT_FALSE(r.found);
    EXPECT_GT(r.grade_mean, 150);
  }
}

}  // namespace
