#include "reports/rank_bands.h"

#include <algorithm>

#include "reports/analysis_table.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

// 全科 and 主科 stand for their totals.
std::string MeasureName(const std::string& by) {
  if (by == "全科") return std::string(kAllTotal);
  if (by == "主科") return std::string(kMainTotal);
  return by;
}

std::vector<TableColumn> Columns(const std::vector<int>& tops) {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}, {"人数", "0"}};
  for (int n : tops) columns.push_back({"前" + std::to_string(n) + "名", "0"});
  for (int n : tops) columns.push_back({"前" + std::to_string(n) + "名率", "0.00"});
  return columns;
}

// Ranked students and those within each top N, for one class or the whole.
struct Tally {
  std::int64_t ranked = 0;
  std::vector<std::int64_t> within;
};

void WriteTally(grid::ReportGrid& g, int row, const Tally& t) {
  const int n = static_cast<int>(t.within.size());
  g.SetCellText(row, 3, CountText(t.ranked));
  for (int j = 0; j < n; ++j) {
    g.SetCellText(row, 4 + j, CountText(t.within[static_cast<std::size_t>(j)]));
    g.SetCellText(row, 4 + n + j, PercentText(t.within[static_cast<std::size_t>(j)], t.ranked));
  }
}

}  // namespace

void RankBandReport(output::Document& doc, data::AppState& state, const RankBandOptions& options,
                    common::ProgressSink& progress, output::Date today) {
  if (options.tops.empty() ||
      std::any_of(options.tops.begin(), options.tops.end(), [](int n) { return n < 1; }))
    throw ReportError("名次段应是一个或几个正整数，如 50,100,200,300。");
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const Measure measure = ChooseMeasure(exam, MeasureName(options.by));
  const std::vector<std::int32_t> ranks = measure.Ranks();

  const Tally empty{0, std::vector<std::int64_t>(options.tops.size(), 0)};
  Tally whole = empty;
  std::vector<Tally> classes(exam.Classes().size(), empty);
  const auto class_of = exam.ClassOf();
  for (std::size_t i = 0; i < ranks.size(); ++i) {
    if (ranks[i] == 0) continue;  // did not sit the subject
    for (Tally* t : {&whole, &classes[class_of[i]]}) {
      ++t->ranked;
      for (std::size_t j = 0; j < options.tops.size(); ++j)
        if (ranks[i] <= options.tops[j]) ++t->within[j];
    }
  }

  StartTable(doc, Columns(options.tops), classes.size() + 1);
  WriteTotalLabel(doc.grid);
  WriteTally(doc.grid, 1, whole);
  for (std::size_t c = 0; c < classes.size(); ++c) {
    WriteClassKeys(doc.grid, static_cast<int>(c) + 2, exam, c);
    WriteTally(doc.grid, static_cast<int>(c) + 2, classes[c]);
  }
  FinishTable(doc, state, state.title_settings.MainTitle + "各班" + options.by + "名次段分布表",
              classes.size() + 1, output::FitPreference::kTurnFirst, today);
}

void RankBandKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  RankBandReport(doc, run.state, {choices.Get("by"), WholeNumberListChoice(choices, "n")},
                 run.progress, run.today);
}

}  // namespace reports
