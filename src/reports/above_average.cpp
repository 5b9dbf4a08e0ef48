#include "reports/above_average.h"

#include <vector>

#include "output/skip_step.h"
#include "reports/analysis_table.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

std::vector<TableColumn> Columns(bool with_teacher) {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}};
  if (with_teacher) columns.push_back({"教师", ""});
  for (const TableColumn& c : std::initializer_list<TableColumn>{{"人数", "0"},
                                                                 {"平均分", "0.00"},
                                                                 {"年级平均分", "0.00"},
                                                                 {"超均率", "0.00"},
                                                                 {"比均率", "0.00"},
                                                                 {"标准差", "0.00"},
                                                                 {"排名", "0"}})
    columns.push_back(c);
  return columns;
}

std::vector<std::string> TeachersOf(const data::AppState& state, const stats::ExamSnapshot& exam,
                                    const std::string& subject) {
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  try {
    if (db) return stats::ReadClassTeachers(*db, exam, subject);
  } catch (const engine::Error&) {
    // Without 教师表 the column stays empty, as in the class statistics.
  }
  return std::vector<std::string>(exam.Classes().size());
}

// The figures of one row from column `first` on; `rank` 0 leaves 排名 empty.
void WriteFigures(grid::ReportGrid& g, int row, int first, const stats::Summary& group,
                  const stats::Summary& whole, std::int32_t rank) {
  std::optional<double> mean, above, ratio;
  if (group.count > 0) {
    mean = group.mean;
    if (whole.mean != 0) {
      above = (group.mean - whole.mean) / whole.mean * 100;
      ratio = group.mean / whole.mean;
    }
  }
  g.SetCellText(row, first, CountText(group.count));
  g.SetCellText(row, first + 1, FigureText(mean));
  g.SetCellText(row, first + 2,
                FigureText(whole.count > 0 ? std::optional(whole.mean) : std::nullopt));
  g.SetCellText(row, first + 3, FigureText(above));
  g.SetCellText(row, first + 4, FigureText(ratio));
  g.SetCellText(row, first + 5, FigureText(group.SampleSd()));
  g.SetCellText(row, first + 6, rank > 0 ? CountText(rank) : std::string());
}

}  // namespace

void AboveAverageReport(output::Document& doc, data::AppState& state,
                        const AboveAverageOptions& options, common::ProgressSink& progress,
                        output::Date today) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const Measure measure =
      ChooseMeasure(exam, options.subject.empty() ? kAllTotal : std::string_view(options.subject));
  const bool with_teacher = !measure.IsTotal();
  const int first = with_teacher ? 4 : 3;
  const std::size_t n_classes = exam.Classes().size();
  const stats::Summary whole = stats::Summarize(measure.scores);
  const std::vector<stats::Summary> groups =
      stats::SummarizeGroups(measure.scores, exam.ClassOf(), static_cast<int>(n_classes));
  std::vector<double> means(n_classes, stats::kAbsent);
  for (std::size_t c = 0; c < n_classes; ++c)
    if (groups[c].count > 0) means[c] = groups[c].mean;
  const std::vector<std::int32_t> ranks = stats::CompetitionRanks(means);
  const std::vector<std::string> teachers =
      with_teacher ? TeachersOf(state, exam, measure.name) : std::vector<std::string>();

  StartTable(doc, Columns(with_teacher), n_classes + 1);
  grid::ReportGrid& g = doc.grid;
  WriteTotalLabel(g);
  WriteFigures(g, 1, first, whole, whole, 0);
  for (std::size_t c = 0; c < n_classes; ++c) {
    const int row = static_cast<int>(c) + 2;
    WriteClassKeys(g, row, exam, c);
    if (with_teacher) g.SetCellText(row, 3, teachers[c]);
    WriteFigures(g, row, first, groups[c], whole, ranks[c]);
  }
  FinishTable(doc, state, state.title_settings.MainTitle + "各班" + measure.name + "超均率统计表",
              n_classes + 1, output::FitPreference::kTurnFirst, today);
}

void AboveAverageKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  AboveAverageReport(doc, run.state, {choices.Get("subject")}, run.progress, run.today);
}

}  // namespace reports
