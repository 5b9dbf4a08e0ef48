// The subject-count report's single-precision totals on the small
// hand-worked exam, and every report on a database that has seen no import
// yet. The all-subject and data information tables are pinned by the golden
// files (tests/golden).
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
