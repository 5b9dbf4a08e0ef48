#include "reports/exam_comparison.h"

#include <algorithm>
#include <numeric>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"
#include "stats/exam_history.h"
#include "stats/exam_matching.h"

namespace reports {
namespace {

const std::string kNumber(grid::kGeneralNumber);
constexpr const char* kUnmatchedLabel = "未能对应的学生";

// The total a comparison ranks by, its ranks as the exam stored them, and
// the rank within the class by the same total.
struct RankedTotals {
  std::span<const double> totals;
  std::span<const std::int32_t> ranks;
  std::vector<std::int32_t> class_ranks;
};

RankedTotals TotalsOf(const stats::ExamSnapshot& exam, bool by_main) {
  RankedTotals t{by_main ? exam.MainTotals() : exam.AllTotals(),
                 by_main ? exam.MainRanks() : exam.AllRanks(),
                 {}};
  t.class_ranks = stats::ClassRanks(exam, t.totals);
  return t;
}

// The students of the current exam that are (or are not) paired, by class
// in report order, then 本次名次; stable, so equal ranks keep the table's order.
std::vector<std::size_t> InReportOrder(const stats::ExamSnapshot& exam, const RankedTotals& t,
                                       const stats::StudentMatching& m, bool paired) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < exam.StudentCount(); ++i)
    if ((m.base_of[i] != stats::kUnmatched) == paired) order.push_back(i);
  const auto class_of = exam.ClassOf();
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (class_of[a] != class_of[b]) return class_of[a] < class_of[b];
    return t.ranks[a] < t.ranks[b];
  });
  return order;
}

std::string TotalText(double total) {
  // 全科总分 and 主科总分 are single-precision columns: 7 digits, as stored.
  return common::TextOfSingle(static_cast<float>(total));
}

std::string Whole(std::int64_t value) {
  return common::TextOfInteger(value);
}

// 学校, 学号, 班级, 姓名, then 本次总分, 本次名次 and 本次班名 of student i.
void WriteCurrent(grid::ReportGrid& g, int row, const stats::ExamSnapshot& exam,
                  const RankedTotals& t, std::size_t i) {
  WriteStudentKeys(g, row, exam, i);
  g.SetCellText(row, 5, TotalText(t.totals[i]));
  g.SetCellText(row, 6, Whole(t.ranks[i]));
  g.SetCellText(row, 11, Whole(t.class_ranks[i]));
}

void WriteBase(grid::ReportGrid& g, int row, const RankedTotals& now, std::size_t i,
               const RankedTotals& before, std::size_t j) {
  g.SetCellText(row, 7, TotalText(before.totals[j]));
  g.SetCellText(row, 8, Whole(before.ranks[j]));
  const std::int64_t change = std::int64_t{before.ranks[j]} - now.ranks[i];
  g.SetCellText(row, 9, Whole(change));
  if (before.ranks[j] > 0)
    g.SetCellText(row, 10, TwoDecimals(static_cast<double>(change) / before.ranks[j]));
  g.SetCellText(row, 12, Whole(before.class_ranks[j]));
  g.SetCellText(row, 13, Whole(std::int64_t{before.class_ranks[j]} - now.class_ranks[i]));
}

const std::vector<TableColumn>& ProgressColumns() {
  static const std::vector<TableColumn> kColumns = {
      {"学校", ""},          {"学号", ""},           {"班级", ""},          {"姓名", ""},
      {"本次总分", kNumber}, {"本次名次", "0"},      {"上次总分", kNumber}, {"上次名次", "0"},
      {"名次变化", "0"},     {"进退步系数", "0.00"}, {"本次班名", "0"},     {"上次班名", "0"},
      {"班名变化", "0"}};
  return kColumns;
}

int LeadingNumber(const std::string& text) {
  std::size_t end = 0;
  while (end < text.size() && end < 9 && text[end] >= '0' && text[end] <= '9') ++end;
  return end == 0 ? 0 : std::stoi(text.substr(0, end));
}

}  // namespace

std::string ExamChoiceText(const data::ExamInfo& exam) {
  return std::to_string(exam.id) + " " + exam.name;
}

data::ExamInfo ChosenBaseExam(const data::AppState& state, const ReportChoices& choices) {
  const std::string& path = state.database_path;
  const int current = data::CurrentExamId(path);
  const std::string chosen = choices.Get("base");
  if (!chosen.empty()) {
    const int id = LeadingNumber(chosen);
    if (id == 0) throw ReportError("--base 后面应是考试编号（见 exams 命令）：" + chosen);
    if (id == current) throw ReportError("对比的考试不能是当前考试本身，请另选一次考试。");
    try {
      return data::FindExam(path, id);
    } catch (const data::LibraryError& e) {
      throw ReportError(e.what());
    }
  }
  const std::vector<data::ExamInfo> exams = data::ListExams(path);
  const auto it = std::find_if(exams.begin(), exams.end(),
                               [&](const data::ExamInfo& e) { return e.id == current; });
  if (it == exams.end() || it == exams.begin())
    throw ReportError("考试库中没有当前考试之前的考试，无法对比。请先导入或选定要对比的考试。");
  return *std::prev(it);
}

data::TitleSettings ComparedTitles(const data::AppState& state, const data::ExamInfo& base,
                                   std::size_t matched) {
  data::TitleSettings titles = state.title_settings;
  titles.LeftSubtitle = "对比考试：" + base.name;
  titles.RightSubtitle = "对应学生 " + std::to_string(matched) + " 人";
  return titles;
}

std::string TwoDecimals(double value) {
  return grid::FormatNumber(value, "0.00");
}

void ProgressTable(output::Document& doc, data::AppState& state, const data::ExamInfo& base,
                   bool by_main, common::ProgressSink& progress, output::Date today) {
  const stats::ExamSnapshot now = ReadCurrentExam(state, progress);
  const stats::ExamSnapshot before = stats::ReadLibraryExam(state.database_path, base.id, progress);
  const stats::StudentMatching m = stats::MatchStudents(now, before);
  const RankedTotals now_totals = TotalsOf(now, by_main);
  const RankedTotals before_totals = TotalsOf(before, by_main);
  const std::vector<std::size_t> paired = InReportOrder(now, now_totals, m, true);
  const std::vector<std::size_t> unpaired = InReportOrder(now, now_totals, m, false);

  StartTable(doc, ProgressColumns(), paired.size() + 1 + unpaired.size());
  grid::ReportGrid& g = doc.grid;
  int row = 1;
  for (std::size_t i : paired) {
    WriteCurrent(g, row, now, now_totals, i);
    WriteBase(g, row, now_totals, i, before_totals, static_cast<std::size_t>(m.base_of[i]));
    ++row;
  }
  g.SetCellText(row++, 1, kUnmatchedLabel);
  for (std::size_t i : unpaired) WriteCurrent(g, row++, now, now_totals, i);

  data::AppState titled = state;
  titled.title_settings = ComparedTitles(state, base, m.matched);
  const std::string title =
      state.title_settings.MainTitle + "学生进退步表" + (by_main ? "（主科总分）" : "");
  FinishTable(doc, titled, title, paired.size() + unpaired.size(),
              output::FitPreference::kShrinkFirst, today);
}

void ProgressTableKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  const std::string by = choices.Get("by");
  if (by != "全科" && by != "主科") throw ReportError("--by 应是 全科 或 主科，不是“" + by + "”。");
  const data::ExamInfo base = ChosenBaseExam(run.state, choices);
  ProgressTable(doc, run.state, base, by == "主科", run.progress, run.today);
}

}  // namespace reports
