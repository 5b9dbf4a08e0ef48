#include "reports/paper_quality.h"

#include <vector>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"

namespace reports {
namespace {

const std::string kNumber(grid::kGeneralNumber);

void WriteSubject(grid::ReportGrid& g, int row, const stats::ExamSnapshot& exam, int subject) {
  const stats::ExamSubject& info = exam.Subjects()[static_cast<std::size_t>(subject)];
  const std::span<const double> scores = exam.Scores(subject);
  const stats::Summary s = stats::Summarize(scores);
  const auto full_mark = static_cast<double>(info.full_mark);
  g.SetCellText(row, 1, info.name);
  g.SetCellText(row, 2, CountText(info.full_mark));
  g.SetCellText(row, 3, CountText(s.count));
  if (s.count == 0) return;
  const stats::ExtremeMeans extremes =
      stats::MeansOfExtremes(scores, stats::ExtremeGroupSize(s.count));
  const std::optional<double> sd = s.SampleSd();
  std::optional<double> variation;
  if (sd && s.mean != 0) variation = *sd / s.mean;
  g.SetCellText(row, 4, common::TextOfDouble(s.mean));
  g.SetCellText(row, 5, common::TextOfDouble(s.mean / full_mark));
  g.SetCellText(row, 6, common::TextOfDouble((extremes.top - extremes.bottom) / full_mark));
  g.SetCellText(row, 7, FigureText(sd));
  g.SetCellText(row, 8, FigureText(variation));
  g.SetCellText(row, 9, common::TextOfDouble(s.highest));
  g.SetCellText(row, 10, common::TextOfDouble(s.lowest));
  g.SetCellText(row, 11, FigureText(stats::Correlation(scores, exam.AllTotals())));
}

}  // namespace

void PaperQualityReport(output::Document& doc, data::AppState& state,
                        common::ProgressSink& progress, output::Date today) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const std::size_t n = exam.Subjects().size();
  StartTable(doc,
             {{"科目", ""},
              {"满分", kNumber},
              {"人数", "0"},
              {"平均分", "0.00"},
              {"难度", "0.00"},
              {"区分度", "0.00"},
              {"标准差", "0.00"},
              {"差异系数", "0.00"},
              {"最高分", kNumber},
              {"最低分", kNumber},
              {"相关系数", "0.00"}},
             n);
  for (std::size_t s = 0; s < n; ++s)
    WriteSubject(doc.grid, static_cast<int>(s) + 1, exam, static_cast<int>(s));
  FinishTable(doc, state, state.title_settings.MainTitle + "试卷质量分析表", n,
              output::FitPreference::kTurnFirst, today);
}

void PaperQualityKind(output::Document& doc, ReportRun& run, const ReportChoices&) {
  PaperQualityReport(doc, run.state, run.progress, run.today);
}

}  // namespace reports
