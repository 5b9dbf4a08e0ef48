#include "reports/analysis_table.h"

#include "common/text_number.h"
#include "data/score_database.h"
#include "output/paper_fit.h"
#include "output/skip_step.h"
#include "reports/stat_columns.h"
#include "stats/exam_history.h"

namespace reports {
namespace {

// Narrow number columns, as the statistics reports have; the fit to the
// paper widens any column whose texts need more.
constexpr int kNarrowWidth = 38;
constexpr int kHeaderHeight = 32;

// The exam a ReuseCurrentExam of this thread lends, if any.
thread_local const CurrentExam* lent_exam = nullptr;

}  // namespace

stats::ExamSnapshot ReadCurrentExam(data::AppState& state, common::ProgressSink& progress) {
  if (lent_exam != nullptr && lent_exam->database_path == state.database_path) {
    state.subject_lines = lent_exam->lines;
    return lent_exam->exam;
  }
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  if (!db) return {};
  return stats::ReadExamDatabase(*db, state.subject_lines, progress);
}

std::shared_ptr<const CurrentExam> ReadCurrentExamOnce(const data::AppState& state,
                                                       common::ProgressSink& progress) {
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  if (!db) return nullptr;
  auto current = std::make_shared<CurrentExam>();
  current->database_path = state.database_path;
  current->lines = state.subject_lines;
  current->exam = stats::ReadExamDatabase(*db, current->lines, progress);
  return current;
}

ReuseCurrentExam::ReuseCurrentExam(std::shared_ptr<const CurrentExam> exam)
    : exam_(std::move(exam)), previous_(lent_exam) {
  if (exam_) lent_exam = exam_.get();
}

ReuseCurrentExam::~ReuseCurrentExam() {
  lent_exam = previous_;
}

std::string Measure::Text(double score) const {
  return IsTotal() ? common::TextOfSingle(static_cast<float>(score)) : common::TextOfDouble(score);
}

std::vector<std::int32_t> Measure::Ranks() const {
  if (IsTotal()) return {stored_ranks.begin(), stored_ranks.end()};
  return stats::CompetitionRanks(scores);
}

Measure ChooseMeasure(const stats::ExamSnapshot& exam, std::string_view name) {
  Measure m;
  m.name = std::string(name);
  if (name == kAllTotal) {
    m.scores = exam.AllTotals();
    m.stored_ranks = exam.AllRanks();
  } else if (name == kMainTotal) {
    m.scores = exam.MainTotals();
    m.stored_ranks = exam.MainRanks();
  } else {
    m.subject = exam.SubjectIndex(name);
    if (m.subject < 0) throw ReportError("没有这个科目：" + m.name);
    m.scores = exam.Scores(m.subject);
  }
  return m;
}

std::string FigureText(std::optional<double> value) {
  return value ? common::TextOfDouble(*value) : std::string();
}

std::string CountText(std::int64_t count) {
  return common::TextOfInteger(count);
}

std::string PercentText(std::int64_t part, std::int64_t whole) {
  if (whole == 0) return {};
  return common::TextOfDouble(static_cast<double>(part) * 100 / static_cast<double>(whole));
}

void StartTable(output::Document& doc, const std::vector<TableColumn>& columns,
                std::size_t data_rows) {
  grid::ReportGrid& g = doc.grid;
  g.SetAutoRedraw(false);
  g.SetCols(static_cast<int>(columns.size()) + 1);
  g.SetRows(static_cast<int>(data_rows) + 2);
  g.SetDisplayRowIndex(true);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const int c = static_cast<int>(i) + 1;
    g.SetCellText(0, c, columns[i].heading);
    g.SetColFormat(c, columns[i].format);
    g.SetColMask(c, columns[i].format.empty() ? grid::kMaskText : grid::kMaskNumber);
  }
}

void WriteClassKeys(grid::ReportGrid& grid, int row, const stats::ExamSnapshot& exam,
                    std::size_t class_index) {
  const stats::ExamClass& c = exam.Classes()[class_index];
  grid.SetCellText(row, 1, exam.Schools()[static_cast<std::size_t>(c.school)].text);
  grid.SetCellText(row, 2, c.key.text);
}

void WriteStudentKeys(grid::ReportGrid& grid, int row, const stats::ExamSnapshot& exam,
                      std::size_t student) {
  grid.SetCellText(row, 1, exam.SchoolOf(student).text);
  grid.SetCellText(row, 2, exam.StudentNumber(student));
  grid.SetCellText(row, 3, exam.Classes()[exam.ClassOf()[student]].key.text);
  grid.SetCellText(row, 4, exam.Name(student));
}

void WriteTotalLabel(grid::ReportGrid& grid) {
  grid.SetCellText(1, 1, "合计");
}

void ReportRowProgress(common::ProgressSink& progress, std::size_t row, std::size_t rows) {
  if (row % 65536 == 65535)
    progress.Report(static_cast<long long>(row), static_cast<long long>(rows), "正在填写报表……");
}

void FinishTable(output::Document& doc, const data::AppState& state, const std::string& title,
                 std::size_t records, output::FitPreference fit, output::Date today) {
  doc.caption = title;
  doc.title = records == 0 ? title + " [没有记录]"
                           : title + " [共有 " + std::to_string(records) + " 个记录]";
  grid::ReportGrid& g = doc.grid;
  g.SetRowHeight(0, kHeaderHeight);
  int total_width = 0;
  for (int c = 1; c < g.Cols(); ++c) {
    g.Cell(0, c).SetWrapText(true);
    g.SetColAlignment(c, grid::kAlignCenter);
    g.SetColWidth(c, kNarrowWidth);
    total_width += kNarrowWidth;
  }
  output::AddReportTitles(g, doc.title, state.title_settings, today);
  const bool turn = fit == output::FitPreference::kTurnFirst && output::NeedsLandscape(total_width);
  output::SetUpReportPage(g, turn ? grid::kLandscape : grid::kPortrait, 1);
  output::FitReportToPaper(g, fit);
  g.SetAutoRedraw(true);
  g.Refresh();
}

}  // namespace reports
