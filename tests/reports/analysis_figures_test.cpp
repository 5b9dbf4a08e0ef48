// 超均率 on the hand-worked exam (tests/stats/analysis_exam.h), and the
// edges of the analysis reports: holes, ties at a cut point, the exam lent to
// `report all`. tests/verify recomputes every figure of these reports on the
// sample and larger exams; the golden files pin headings and layouts.
#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/above_average.h"
#include "reports/analysis_table.h"
#include "reports/grade_levels.h"
#include "reports/paper_quality.h"
#include "reports/stat_columns.h"

namespace {

using namespace analysis_test;

constexpr output::Date kDay{std::chrono::year{2024}, std::chrono::month{11}, std::chrono::day{5}};

class AnalysisFiguresTest : public ::testing::Test {
 protected:
  explicit AnalysisFiguresTest(const ExamRows& rows = {}) : exam(rows) {}
  ExamDatabase exam;
  output::Document doc;
  common::NullProgress progress;
  const grid::ReportGrid& g = doc.grid;
};

class HolesTest : public AnalysisFiguresTest {
 protected:
  HolesTest() : AnalysisFiguresTest(WithHoles()) {}
};

TEST_F(AnalysisFiguresTest, ClassMeansAgainstTheGradesWithTheirTeachers) {
  // 语文 of those who sat: 535.5 / 7 = 76.5. 一中 1: 85 58 90 → 77.67;
  // 一中 2: 90 55 → 72.5 (戊 absent); 二中 1: 80 77.5 → 78.75.
  reports::AboveAverageReport(doc, exam.state, {"语文"}, progress, kDay);
  ASSERT_EQ(DataRows(g), 4);
  // Sample sd over the 7: Σd² = 1254.5, √(1254.5 / 6).
  ExpectRow(g, 1, {"合计", "", "", "7", "76.5", "76.5", "0", "1", "14.4597141511626", ""});
  // (77.67 − 76.5) / 76.5 × 100 = 1.525; sd of 85 58 90 = √(592.67 / 2).
  ExpectRow(g, 2,
            {"一中", "1", "张老师", "3", "77.6666666666667", "76.5", "1.52505446623094",
             "1.01525054466231", "17.2143351115671", "2"});
  ExpectRow(g, 3,
            {"一中", "2", "赵老师", "2", "72.5", "76.5", "-5.22875816993464", "0.947712418300654",
             "24.7487373415292", "3"});
  // 二中 has no row in 教师表.
  ExpectRow(g, 4,
            {"二中", "1", "", "2", "78.75", "76.5", "2.94117647058824", "1.02941176470588",
             "1.76776695296637", "1"});
  EXPECT_TRUE(g.AutoRedraw());
}

// `report all` reads the exam once and lends it to every analysis sheet: a
// report made under the loan must not read 统计表 again, must leave the
// subject lines of the read in the state, and the loan covers only its own
// database and scope.
TEST_F(AnalysisFiguresTest, ExamReadOnceIsLentToTheReportsOfItsDatabase) {
  const std::shared_ptr<const reports::CurrentExam> once =
      reports::ReadCurrentExamOnce(exam.state, progress);
  ASSERT_NE(once, nullptr);
  const std::size_t students = once->exam.StudentCount();
  ASSERT_GT(students, 0u);
  data::OpenScoreDatabase(exam.state).Execute("DELETE FROM 统计表");
  data::AppState other = exam.state;
  other.database_path += ".other";
  {
    const reports::ReuseCurrentExam reuse(once);
    data::AppState state = exam.state;
    state.subject_lines = {};
    EXPECT_EQ(reports::ReadCurrentExam(state, progress).StudentCount(), students)
        << "the lent exam, not the emptied table";
    EXPECT_EQ(state.subject_lines.SubjectName, once->lines.SubjectName);
    EXPECT_EQ(reports::ReadCurrentExam(other, progress).StudentCount(), 0u)
        << "another database is read";
  }
  EXPECT_EQ(reports::ReadCurrentExam(exam.state, progress).StudentCount(), 0u)
      << "after the loan the table is read again";
}

TEST_F(HolesTest, AClassWhereNobodySatHasNoFigures) {
  reports::AboveAverageReport(doc, exam.state, {"语文"}, progress, kDay);
  // The grade's mean is now over 一中's five: 378 / 5 = 75.6.
  ExpectRow(g, 4, {"二中", "1", "", "0", "", "75.6", "", "", "", ""});
  EXPECT_EQ(g.CellText(2, 10), "1");  // 一中 1 (77.67) first among the classes ranked
}

TEST_F(HolesTest, ASubjectNobodySatHasOnlyItsFullMark) {
  reports::PaperQualityReport(doc, exam.state, progress, kDay);
  ExpectRow(g, 4, {"美术", "100", "0", "", "", "", "", "", "", "", ""});
}

TEST_F(AnalysisFiguresTest, ATieAcrossTheCutPointTakesTheBetterLetter) {
  // A up to 56.25 % of 8 = rank 4.5: the 4th and 5th place (丙, 己, tied
  // at rank 4) are both A.
  reports::GradeOptions options;
  options.cuts[0] = 56.25, options.cuts[1] = 75, options.cuts[2] = 90;
  reports::GradeListReport(doc, exam.state, options, progress, kDay);
  const char* overall[] = {"A", "A", "A", "D", "C", "A", "A", "B"};
  for (int r = 1; r <= 8; ++r) EXPECT_EQ(g.CellText(r, 8), overall[r - 1]) << g.CellText(r, 4);
  options.cuts[0] = 60, options.cuts[1] = 50;
  EXPECT_THROW(reports::GradeListReport(doc, exam.state, options, progress, kDay),
               reports::ReportError);
}

}  // namespace
