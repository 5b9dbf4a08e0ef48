// 超均率, 标准分, 试卷质量, 等级评价 and 等级分布 on the hand-worked exam
// (tests/stats/analysis_exam.h). Headings and layouts of the default choices
// are pinned by the golden files.
#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/above_average.h"
#include "reports/analysis_table.h"
#include "reports/grade_levels.h"
#include "reports/paper_quality.h"
#include "reports/standard_scores.h"
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

TEST_F(AnalysisFiguresTest, WithoutASubjectTheTotalOfEveryStudentAndNoTeacher) {
  // 1440.5 / 8 = 180.0625; 一中 2 counts 戊 too (90, absent from two subjects).
  reports::AboveAverageReport(doc, exam.state, {}, progress, kDay);
  EXPECT_EQ(doc.caption, "高一期中各班全科总分超均率统计表");
  EXPECT_EQ(RowOf(g, 0), (Cells{"学校", "班级", "人数", "平均分", "年级平均分", "超均率", "比均率",
                                "标准差", "排名"}));
  ExpectRow(g, 1, {"合计", "", "8", "180.0625", "180.0625", "0", "1", "68.1099098621381", ""});
  ExpectRow(g, 4,
            {"二中", "1", "2", "218.75", "180.0625", "21.4855952794169", "1.21485595279417",
             "1.76776695296637", "1"});
}

TEST_F(AnalysisFiguresTest, EqualMeansShareARankAndNoSpreadIsZero) {
  // Everybody who sat 体育 scored 40.
  reports::AboveAverageReport(doc, exam.state, {"体育"}, progress, kDay);
  ExpectRow(g, 1, {"合计", "", "", "7", "40", "40", "0", "1", "0", ""});
  for (int r = 2; r <= 4; ++r) {
    EXPECT_EQ(g.CellText(r, 9), "0");
    EXPECT_EQ(g.CellText(r, 10), "1") << "every class mean is 40";
  }
}

TEST_F(HolesTest, AClassWhereNobodySatHasNoFigures) {
  reports::AboveAverageReport(doc, exam.state, {"语文"}, progress, kDay);
  // The grade's mean is now over 一中's five: 378 / 5 = 75.6.
  ExpectRow(g, 4, {"二中", "1", "", "0", "", "75.6", "", "", "", ""});
  EXPECT_EQ(g.CellText(2, 10), "1");  // 一中 1 (77.67) first among the classes ranked
}

TEST_F(AnalysisFiguresTest, TScoresPerSubjectOverThoseWhoSat) {
  reports::StandardScoreReport(doc, exam.state, progress, kDay);
  ASSERT_EQ(DataRows(g), 8);
  // 语文: mean 76.5, population sd √(1254.5 / 7) = 13.387; 甲's 80 is
  // 50 + 10 × 3.5 / 13.387. 体育 has no spread: 50 for all who sat.
  ExpectRow(
      g, 1,
      {"二中", "201", "1", "甲", "52.6144583734854", "54.4632184267745", "50", "56.2685420494505"});
  ExpectRow(g, 4, {"一中", "103", "1", "丁", "36.1807200258629", "", "50", "33.9803925402931"});
  // 戊 missed 语文 and 体育; 总分T counts every student.
  ExpectRow(g, 5, {"一中", "104", "2", "戊", "", "41.9662068318059", "", "35.8638981326162"});
}

TEST_F(AnalysisFiguresTest, PaperQualityPerSubject) {
  reports::PaperQualityReport(doc, exam.state, progress, kDay);
  ASSERT_EQ(DataRows(g), 3);
  // 7 sat, k = 27 % of 7 = 1.89 → 2: top 90 90, bottom 55 58 → (90 − 56.5) / 100.
  ExpectRow(g, 1,
            {"语文", "100", "7", "76.5", "0.765", "0.335", "14.4597141511626", "0.189015871257028",
             "90", "55", "0.927589800550635"});
  // top 135 127.5, bottom 60 90 → (131.25 − 75) / 150.
  ExpectRow(g, 2,
            {"数学", "150", "7", "109.285714285714", "0.728571428571429", "0.375",
             "25.9291617406238", "0.237260303508976", "135", "60", "0.836911435842913"});
  // No spread: no discrimination, and no correlation to speak of.
  ExpectRow(g, 3, {"体育", "50", "7", "40", "0.8", "0", "0", "0", "40", "40", ""});
}

TEST_F(HolesTest, ASubjectNobodySatHasOnlyItsFullMark) {
  reports::PaperQualityReport(doc, exam.state, progress, kDay);
  ExpectRow(g, 4, {"美术", "100", "0", "", "", "", "", "", "", "", ""});
}

TEST_F(AnalysisFiguresTest, LettersByLinesAndTheOverallByProportion) {
  reports::GradeListReport(doc, exam.state, {}, progress, kDay);
  // Of 8: A for rank ≤ 1.2, B ≤ 4, C ≤ 6.8. 丙 and 己 share rank 4: both B.
  // A score on a line takes that line's letter (丙's 85, 戊's 90 in 数学).
  const Cells letters[] = {{"B", "B", "B", "B"},  {"A", "A", "B", "A"},   {"A", "B", "B", "B"},
                           {"D", "缺", "B", "D"}, {"缺", "C", "缺", "D"}, {"B", "B", "B", "B"},
                           {"A", "A", "B", "B"},  {"D", "D", "B", "C"}};
  ASSERT_EQ(DataRows(g), 8);
  for (int r = 1; r <= 8; ++r) {
    const Cells row = RowOf(g, r);
    EXPECT_EQ(Cells(row.begin() + 4, row.end()), letters[r - 1]) << row[3];
  }
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

TEST_F(AnalysisFiguresTest, LetterCountsPerClassWithTheTotalsFirst) {
  reports::GradeCountReport(doc, exam.state, progress, kDay);
  EXPECT_EQ(RowOf(g, 0), (Cells{"学校", "班级", "语文A", "语文B", "语文C", "语文D", "数学A",
                                "数学B", "数学C", "数学D", "体育A", "体育B", "体育C", "体育D"}));
  // Absent students are in no column: 数学 sums to 7, 体育 to 7.
  ExpectRow(g, 1, {"合计", "", "3", "2", "0", "2", "2", "3", "1", "1", "0", "7", "0", "0"});
  ExpectRow(g, 2, {"一中", "1", "2", "0", "0", "1", "1", "1", "0", "0", "0", "3", "0", "0"});
  ExpectRow(g, 3, {"一中", "2", "1", "0", "0", "1", "1", "0", "1", "1", "0", "2", "0", "0"});
  ExpectRow(g, 4, {"二中", "1", "0", "2", "0", "0", "0", "2", "0", "0", "0", "2", "0", "0"});
}

TEST(AnalysisBeforeImportTest, AnEmptyReportNotAnError) {
  ExamRows rows;
  rows.lines.clear();  // refused by the import: nothing is imported
  ExamDatabase exam(rows);
  output::Document doc;
  common::NullProgress progress;
  reports::StandardScoreReport(doc, exam.state, progress, kDay);
  EXPECT_EQ(doc.title, "高一期中标准分表 [没有记录]");
  EXPECT_EQ(RowOf(doc.grid, 0), (Cells{"学校", "学号", "班级", "姓名", "总分T"}));
}

}  // namespace
