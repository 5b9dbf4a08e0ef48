#include "reports/grade_levels.h"

#include <algorithm>
#include <array>
#include <vector>

#include "reports/analysis_table.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

constexpr const char* kRatioMessage =
    "等级比例应是三个从小到大、不超过 100 的累计百分数，如 15,50,85。";

constexpr std::array<stats::Grade, 4> kLetters = {stats::Grade::kA, stats::Grade::kB,
                                                  stats::Grade::kC, stats::Grade::kD};

}  // namespace

stats::Grade SubjectGrade(const stats::ExamSnapshot& exam, std::size_t subject,
                          std::size_t student) {
  return stats::GradeByLines(exam.Scores(static_cast<int>(subject))[student],
                             exam.Subjects()[subject].lines);
}

stats::Grade OverallGrade(const stats::ExamSnapshot& exam, std::size_t student,
                          const double (&cuts)[3]) {
  return stats::GradeByRank(exam.AllRanks()[student],
                            static_cast<std::int64_t>(exam.StudentCount()), cuts);
}

std::vector<std::vector<std::int64_t>> GradeCounts(const stats::ExamSnapshot& exam) {
  const std::size_t subjects = exam.Subjects().size();
  std::vector<std::vector<std::int64_t>> counts(exam.Classes().size() + 1,
                                                std::vector<std::int64_t>(subjects * 4, 0));
  for (std::size_t i = 0; i < exam.StudentCount(); ++i) {
    for (std::size_t s = 0; s < subjects; ++s) {
      const stats::Grade grade = SubjectGrade(exam, s, i);
      if (grade == stats::Grade::kAbsent) continue;
      const std::size_t k = s * 4 + static_cast<std::size_t>(grade);
      ++counts[0][k];
      ++counts[exam.ClassOf()[i] + 1][k];
    }
  }
  return counts;
}

void GradeListReport(output::Document& doc, data::AppState& state, const GradeOptions& options,
                     common::ProgressSink& progress, output::Date today) {
  const double* cuts = options.cuts;
  if (!(0 <= cuts[0] && cuts[0] <= cuts[1] && cuts[1] <= cuts[2] && cuts[2] <= 100))
    throw ReportError(kRatioMessage);
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  std::vector<TableColumn> columns = {{"学校", ""}, {"学号", ""}, {"班级", ""}, {"姓名", ""}};
  for (const stats::ExamSubject& s : exam.Subjects()) columns.push_back({s.name, ""});
  columns.push_back({"总评", ""});
  const std::size_t n = exam.StudentCount();
  const std::size_t subjects = exam.Subjects().size();
  StartTable(doc, columns, n);
  grid::ReportGrid& g = doc.grid;
  for (std::size_t i = 0; i < n; ++i) {
    const int row = static_cast<int>(i) + 1;
    WriteStudentKeys(g, row, exam, i);
    for (std::size_t s = 0; s < subjects; ++s)
      g.SetCellText(row, 5 + static_cast<int>(s), stats::GradeText(SubjectGrade(exam, s, i)));
    g.SetCellText(row, 5 + static_cast<int>(subjects),
                  stats::GradeText(OverallGrade(exam, i, options.cuts)));
    ReportRowProgress(progress, i, n);
  }
  FinishTable(doc, state, state.title_settings.MainTitle + "等级评价表", n,
              output::FitPreference::kShrinkFirst, today);
}

void GradeCountReport(output::Document& doc, data::AppState& state, common::ProgressSink& progress,
                      output::Date today) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const std::size_t subjects = exam.Subjects().size();
  const std::size_t n_classes = exam.Classes().size();
  const std::vector<std::vector<std::int64_t>> counts = GradeCounts(exam);
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}};
  for (const stats::ExamSubject& s : exam.Subjects())
    for (stats::Grade letter : kLetters)
      columns.push_back({s.name + stats::GradeText(letter), "0"});
  StartTable(doc, columns, n_classes + 1);
  grid::ReportGrid& g = doc.grid;
  WriteTotalLabel(g);
  for (std::size_t r = 0; r <= n_classes; ++r) {
    const int row = static_cast<int>(r) + 1;
    if (r > 0) WriteClassKeys(g, row, exam, r - 1);
    for (std::size_t k = 0; k < subjects * 4; ++k)
      g.SetCellText(row, 3 + static_cast<int>(k), CountText(counts[r][k]));
  }
  FinishTable(doc, state, state.title_settings.MainTitle + "各班等级分布表", n_classes + 1,
              output::FitPreference::kTurnFirst, today);
}

void GradeListKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  const std::vector<double> ratio = NumberListChoice(choices, "ratio");
  if (ratio.size() != 3) throw ReportError(kRatioMessage);
  GradeOptions o;
  std::copy(ratio.begin(), ratio.end(), o.cuts);
  GradeListReport(doc, run.state, o, run.progress, run.today);
}

void GradeCountKind(output::Document& doc, ReportRun& run, const ReportChoices&) {
  GradeCountReport(doc, run.state, run.progress, run.today);
}

}  // namespace reports
