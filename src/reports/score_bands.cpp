#include "reports/score_bands.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

// Far more than any exam's range of scores needs; a width of 1 on a total
// of some thousand points stays well below it.
constexpr std::int64_t kMaxBands = 100000;

// The scores of one school's students; the others count as absent.
std::vector<double> OfSchool(const stats::ExamSnapshot& exam, std::span<const double> scores,
                             const std::string& school) {
  const auto& schools = exam.Schools();
  if (std::none_of(schools.begin(), schools.end(),
                   [&](const stats::KeyValue& s) { return s.text == school; }))
    throw ReportError("没有这个学校：" + school);
  std::vector<double> out(scores.begin(), scores.end());
  for (std::size_t i = 0; i < out.size(); ++i)
    if (exam.SchoolOf(i).text != school) out[i] = stats::kAbsent;
  return out;
}

std::string TitleOf(const data::AppState& state, const ScoreBandOptions& options) {
  return state.title_settings.MainTitle + options.school + options.measure +
         (options.step == 1 ? "一分一段表"
                            : "分数段表（每段" + std::to_string(options.step) + "分）");
}

}  // namespace

std::vector<stats::Band> ScoreBandCounts(const stats::ExamSnapshot& exam,
                                         const ScoreBandOptions& options) {
  if (options.step < 1) throw ReportError("分数段的宽度应是不小于 1 的整数。");
  const Measure measure = ChooseMeasure(exam, options.measure);
  std::vector<double> school_scores;
  std::span<const double> scores = measure.scores;
  if (!options.school.empty()) {
    school_scores = OfSchool(exam, scores, options.school);
    scores = school_scores;
  }
  const auto step = static_cast<double>(options.step);
  if (stats::BandCount(scores, step) > kMaxBands)
    throw ReportError("分数段太多（超过 " + std::to_string(kMaxBands) +
                      " 段），请加大分数段的宽度。");
  return stats::BandCounts(scores, step);
}

void ScoreBandReport(output::Document& doc, data::AppState& state, const ScoreBandOptions& options,
                     common::ProgressSink& progress, output::Date today) {
  if (options.step < 1) throw ReportError("分数段的宽度应是不小于 1 的整数。");
  const std::vector<stats::Band> bands = ScoreBandCounts(ReadCurrentExam(state, progress), options);
  std::int64_t counted = 0;
  for (const stats::Band& b : bands) counted += b.count;

  StartTable(doc,
             {{"分数", std::string(grid::kGeneralNumber)},
              {"人数", "0"},
              {"累计人数", "0"},
              {"累计百分比", "0.00"}},
             bands.size());
  std::int64_t running = 0;
  for (std::size_t i = 0; i < bands.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    running += bands[i].count;
    doc.grid.SetCellText(r, 1, common::TextOfDouble(bands[i].low));
    doc.grid.SetCellText(r, 2, CountText(bands[i].count));
    doc.grid.SetCellText(r, 3, CountText(running));
    doc.grid.SetCellText(r, 4, PercentText(running, counted));
  }
  FinishTable(doc, state, TitleOf(state, options), bands.size(),
              output::FitPreference::kShrinkFirst, today);
}

void ScoreBandKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  ScoreBandOptions o;
  o.measure = choices.Get("subject");
  o.step = WholeNumberChoice(choices, "step");
  o.school = choices.Get("school");
  ScoreBandReport(doc, run.state, o, run.progress, run.today);
}

}  // namespace reports
