#include "reports/near_line.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

// A student on the list and how far from the goal.
struct Entry {
  std::size_t student;
  double gap;
};

// By class in report order, then the smallest gap; stable, so equal gaps
// keep the table's order.
void Order(std::vector<Entry>& entries, const stats::ExamSnapshot& exam) {
  const auto class_of = exam.ClassOf();
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (class_of[a.student] != class_of[b.student])
      return class_of[a.student] < class_of[b.student];
    return a.gap < b.gap;
  });
}

const std::string kNumber(grid::kGeneralNumber);

// Rows of the list: the four key columns, then the three that `figures`
// writes from column 5 on.
void WriteList(output::Document& doc, const stats::ExamSnapshot& exam,
               const std::vector<Entry>& entries, const std::vector<std::string>& headings,
               const std::function<void(int row, const Entry&)>& figures) {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}, {"学号", ""}, {"姓名", ""}};
  for (const std::string& h : headings) columns.push_back({h, kNumber});
  StartTable(doc, columns, entries.size());
  grid::ReportGrid& g = doc.grid;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    const std::size_t i = entries[k].student;
    WriteClassKeys(g, row, exam, exam.ClassOf()[i]);
    g.SetCellText(row, 3, exam.StudentNumber(i));
    g.SetCellText(row, 4, exam.Name(i));
    figures(row, entries[k]);
  }
}

double LineOf(const stats::ExamSubject& subject, const std::string& line) {
  if (line == "优秀") return subject.lines.excellent;
  if (line == "优良") return subject.lines.good;
  if (line == "及格") return subject.lines.pass;
  throw ReportError("分数线应是 优秀、优良 或 及格，不是“" + line + "”。");
}

std::string ByLine(output::Document& doc, const stats::ExamSnapshot& exam,
                   const data::AppState& state, const NearLineOptions& options) {
  if (options.band < 0) throw ReportError("临界分数段不能是负数。");
  const Measure subject = ChooseMeasure(exam, options.subject);
  if (subject.IsTotal()) throw ReportError("总分没有分数线，请选一个科目。");
  const double line =
      LineOf(exam.Subjects()[static_cast<std::size_t>(subject.subject)], options.line);
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < subject.scores.size(); ++i) {
    const double x = subject.scores[i];
    if (!stats::IsAbsent(x) && line - options.band <= x && x < line)
      entries.push_back({i, line - x});
  }
  Order(entries, exam);
  WriteList(doc, exam, entries, {"成绩", "线", "差"}, [&](int row, const Entry& e) {
    doc.grid.SetCellText(row, 5, subject.Text(subject.scores[e.student]));
    doc.grid.SetCellText(row, 6, common::TextOfDouble(line));
    doc.grid.SetCellText(row, 7, common::TextOfDouble(e.gap));
  });
  return state.title_settings.MainTitle + options.subject + options.line + "临界生名单";
}

bool IsWholeAtLeastOne(double x) {
  return x >= 1 && x == std::floor(x) && x <= 1e9;
}

std::string ByRank(output::Document& doc, const stats::ExamSnapshot& exam,
                   const data::AppState& state, const NearLineOptions& options) {
  if (options.rank < 1 || !IsWholeAtLeastOne(options.band))
    throw ReportError("名次和人数都应是不小于 1 的整数。");
  const Measure total = ChooseMeasure(exam, kAllTotal);
  std::vector<Entry> entries;
  const auto n = static_cast<std::size_t>(options.rank);
  if (n < total.scores.size()) {
    // The N-th highest total: the total at rank N, also inside a tie.
    std::vector<double> sorted(total.scores.begin(), total.scores.end());
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n - 1),
                     sorted.end(), std::greater<>());
    const double at_n = sorted[n - 1];
    const double last = static_cast<double>(options.rank) + options.band;
    for (std::size_t i = 0; i < total.scores.size(); ++i) {
      const std::int32_t r = total.stored_ranks[i];
      if (r > options.rank && r <= last) entries.push_back({i, at_n - total.scores[i]});
    }
  }
  Order(entries, exam);
  WriteList(doc, exam, entries, {"全科总分", "全科排名", "差"}, [&](int row, const Entry& e) {
    doc.grid.SetCellText(row, 5, total.Text(total.scores[e.student]));
    doc.grid.SetCellText(row, 6, CountText(total.stored_ranks[e.student]));
    doc.grid.SetCellText(row, 7, total.Text(e.gap));  // a difference of two totals
  });
  return state.title_settings.MainTitle + "全科前" + std::to_string(options.rank) + "名临界生名单";
}

}  // namespace

void NearLineReport(output::Document& doc, data::AppState& state, const NearLineOptions& options,
                    common::ProgressSink& progress, output::Date today) {
  if (options.subject.empty() == (options.rank == 0))
    throw ReportError("请指定科目（--subject）或名次（--rank），二者只选一个。");
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const std::string title = options.subject.empty() ? ByRank(doc, exam, state, options)
                                                    : ByLine(doc, exam, state, options);
  FinishTable(doc, state, title, static_cast<std::size_t>(doc.grid.Rows() - 2),
              output::FitPreference::kShrinkFirst, today);
}

void NearLineKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  NearLineOptions o;
  o.subject = choices.Get("subject");
  o.line = choices.Get("line");
  o.rank = choices.Get("rank").empty() ? 0 : WholeNumberChoice(choices, "rank");
  o.band = NumberChoice(choices, "band");
  NearLineReport(doc, run.state, o, run.progress, run.today);
}

}  // namespace reports
