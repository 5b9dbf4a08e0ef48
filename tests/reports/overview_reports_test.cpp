// The all-subject table, the data information tables and the subject-count
// report on the small hand-worked exam, and every report on a database that
// has seen no import yet. Layouts, titles and the browse commands are pinned
// by the golden files (tests/golden); these pin the figures of this exam.
#include <gtest/gtest.h>

#include "grid/content_fit.h"
#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/data_info.h"
#include "reports/single_subject.h"
#include "reports/subject_count.h"
#include "score_fixture.h"

namespace {

using Cells = std::vector<std::string>;

Cells Column(const grid::ReportGrid& g, int col) {
  Cells out;
  for (int r = 0; r < g.Rows(); ++r) out.emplace_back(g.CellText(r, col));
  return out;
}

Cells RowOf(const grid::ReportGrid& g, int row) {
  Cells out;
  for (int c = 1; c < g.Cols(); ++c) out.emplace_back(g.CellText(row, c));
  return out;
}

class ExamReports : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::Database db = fixture.Open();
    reports_test::CreateSmallExam(db);
    fixture.state.report_title = "unchanged";
    data::LoadSubjectLines(fixture.state);
  }
  reports_test::TempDatabase fixture;
  output::Document doc;
};

TEST_F(ExamReports, AllSubjectTableSegmentsEverySubjectByTheLargestFullMark) {
  reports::AllSubjectStats(doc, fixture.state);
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(fixture.state.report_title, "unchanged");
  EXPECT_EQ(Column(g, 1),
            (Cells{"项目",     "参考人数", "总分",     "平均分",  "优秀人数", "优秀率%",
                   "优良人数", "优良率%",  "及格人数", "及格率%", "综合分",   "最高分",
                   "最低分",   "全距",     "标准差",   "130_150", "110_129",  "90_109",
                   "70_89",    "50_69",    "30_49",    "10_29"}));
  // 语文 is out of 100 but counted in the segments of 数学's 150.
  EXPECT_EQ(Column(g, 2),
            (Cells{"语文", "8",  "619.5", "77.44", "3", "37.5", "6", "75", "7", "87.5", "70.976",
                   "90",   "50", "40",    "14.87", "0", "0",    "3", "3",  "2", "0",    "0"}));
  EXPECT_EQ(Column(g, 3),
            (Cells{"数学", "9", "775", "86.11", "3", "33.33", "4", "44.44", "5", "55.56", "61.11",
                   "150",  "5", "145", "48.46", "2", "1",     "2", "1",     "1", "1",     "0"}));
}

TEST_F(ExamReports, OverviewCountsPerSchoolWithTheTotalsRowOnTop) {
  reports::ExamOverview(
      doc, fixture.state,
      output::Date{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{6}});
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(RowOf(g, 0), (Cells{"学校(2)", "班级数", "应考", "语文", "", "", "数学", "", ""}));
  EXPECT_EQ(RowOf(g, 1), (Cells{"", "", "", "参考", "缺考", "教师", "参考", "缺考", "教师"}));
  EXPECT_EQ(RowOf(g, 2), (Cells{"合 计", "3", "10", "8", "2", "3", "9", "1", "2"}));
  EXPECT_EQ(RowOf(g, 3), (Cells{"一中", "2", "7", "7", "0", "2", "7", "0", "1"}));
  EXPECT_EQ(RowOf(g, 4), (Cells{"二中", "1", "3", "1", "2", "1", "2", "1", "1"}));
  EXPECT_EQ(g.Rows(), 6);
}

TEST_F(ExamReports, SubjectCountReportShowsSinglePrecisionAndWrapsLongHeadings) {
  {
    engine::Database db = fixture.Open();
    db.Execute(
        "CREATE TABLE 统计表 (学校 text (20),学号 DOUBLE,班级 DOUBLE,姓名 text (20),语文 DOUBLE,"
        "数学 DOUBLE,主科总分 SINGLE,全科及格数 LONG)");
    db.Execute(
        "INSERT INTO 统计表 (学校,学号,班级,姓名,语文,数学,主科总分,全科及格数) VALUES "
        "('一中',1,1,'甲',90,140,200/3,2)");
  }
  reports::SubjectCountReport(doc, fixture.state);
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(doc.title, "高一年级中期考试优秀优良及格科目数及成绩表 [共有 1 个记录]");
  EXPECT_EQ(RowOf(g, 1), (Cells{"一中", "1", "1", "甲", "90", "140", "66.66666", "2"}));
  EXPECT_TRUE(g.CellStyleAt(0, 8).wrap_text);
  // 全科及格数 wraps as 全科及 | 格数: three ideographs need more than 38 px.
  EXPECT_EQ(g.ColWidth(8), 36 + grid::kFitPaddingX);
}

TEST(NoImportYet, EveryReportIsEmptyAndSaysSo) {
  using Report = void (*)(output::Document&, data::AppState&);
  const std::pair<const char*, Report> all[] = {
      {"cj", reports::ShowScoreTable},
      {"jsb", reports::ShowTeacherTable},
      {"sxb", reports::ShowSubjectLines},
      {"tjtable", reports::ShowStatisticsTable},
      {"gbkm", [](output::Document& d, data::AppState& s) { reports::ClassSubjectStats(d, s, 1); }},
      {"gxkm",
       [](output::Document& d, data::AppState& s) { reports::SchoolSubjectStats(d, s, 1); }},
      {"jskm",
       [](output::Document& d, data::AppState& s) { reports::TeacherSubjectStats(d, s, 1); }},
      {"gdktj", reports::AllSubjectStats},
      {"topn", reports::SubjectCountReport},
      {"cjbxx", [](output::Document& d, data::AppState& s) { reports::ExamOverview(d, s); }},
      {"cjbschool", reports::SchoolList},
      {"cjbclass", reports::ClassList},
  };
  for (const auto& [name, report] : all) {
    reports_test::TempDatabase fixture;
    output::Document doc;
    ASSERT_NO_THROW(report(doc, fixture.state)) << name;
    EXPECT_TRUE(doc.title.ends_with(" [没有记录]")) << name << ": " << doc.title;
  }
}

}  // namespace
