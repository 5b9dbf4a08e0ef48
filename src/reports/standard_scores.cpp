#include "reports/standard_scores.h"

#include <unordered_map>
#include <vector>

#include "common/text_number.h"
#include "reports/analysis_table.h"

namespace reports {

void StandardScoreReport(output::Document& doc, data::AppState& state,
                         common::ProgressSink& progress, output::Date today) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  std::vector<TableColumn> columns = {{"学校", ""}, {"学号", ""}, {"班级", ""}, {"姓名", ""}};
  // The subjects' columns, then the total's, each with the summary its T
  // scores are measured against.
  std::vector<std::span<const double>> scores;
  for (std::size_t s = 0; s < exam.Subjects().size(); ++s) {
    columns.push_back({exam.Subjects()[s].name, "0.0"});
    scores.push_back(exam.Scores(static_cast<int>(s)));
  }
  columns.push_back({"总分T", "0.0"});
  scores.push_back(exam.AllTotals());
  std::vector<stats::Summary> summaries;
  summaries.reserve(scores.size());
  for (std::span<const double> column : scores) summaries.push_back(stats::Summarize(column));

  std::vector<std::unordered_map<double, std::string>> texts(scores.size());
  const std::size_t n = exam.StudentCount();
  StartTable(doc, columns, n);
  grid::ReportGrid& g = doc.grid;
  for (std::size_t i = 0; i < n; ++i) {
    const int row = static_cast<int>(i) + 1;
    WriteStudentKeys(g, row, exam, i);
    for (std::size_t k = 0; k < scores.size(); ++k) {
      const double x = scores[k][i];
      if (stats::IsAbsent(x)) continue;
      // Scores repeat, so each column has few distinct T scores: writing
      // each text once saves most of the work at a hundred thousand rows.
      auto [it, fresh] = texts[k].try_emplace(x);
      if (fresh) it->second = common::TextOfDouble(stats::TScore(x, summaries[k]));
      g.SetCellText(row, 5 + static_cast<int>(k), it->second);
    }
    ReportRowProgress(progress, i, n);
  }
  FinishTable(doc, state, state.title_settings.MainTitle + "标准分表", n,
              output::FitPreference::kShrinkFirst, today);
}

void StandardScoreKind(output::Document& doc, ReportRun& run, const ReportChoices&) {
  StandardScoreReport(doc, run.state, run.progress, run.today);
}

}  // namespace reports
