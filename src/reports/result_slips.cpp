#include "reports/result_slips.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/text_number.h"
#include "reports/analysis_table.h"
#include "reports/grade_levels.h"

namespace reports {
namespace {

constexpr int kKeyColumns = 4;  // 学校, 班级, 学号, 姓名
constexpr int kSpacerHeight = 12;

// The slip's columns: keys, subjects, 全科总分, then the ranks if shown.
std::vector<TableColumn> SlipColumns(const stats::ExamSnapshot& exam, bool rank) {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}, {"学号", ""}, {"姓名", ""}};
  for (const stats::ExamSubject& s : exam.Subjects()) columns.push_back({s.name, ""});
  columns.push_back({std::string(kAllTotal), ""});
  if (rank) {
    columns.push_back({"年级名次", ""});
    columns.push_back({"班级名次", ""});
  }
  return columns;
}

// 全科总分's rank within the student's own class, 1, 2, 2, 4.
std::vector<std::int32_t> ClassRanks(const stats::ExamSnapshot& exam) {
  const std::size_t n = exam.StudentCount();
  std::vector<std::vector<std::size_t>> members(exam.Classes().size());
  for (std::size_t i = 0; i < n; ++i) members[exam.ClassOf()[i]].push_back(i);
  std::vector<std::int32_t> ranks(n, 0);
  std::vector<double> totals;
  for (const std::vector<std::size_t>& m : members) {
    totals.clear();
    for (std::size_t i : m) totals.push_back(exam.AllTotals()[i]);
    const std::vector<std::int32_t> r = stats::CompetitionRanks(totals);
    for (std::size_t k = 0; k < m.size(); ++k) ranks[m[k]] = r[k];
  }
  return ranks;
}

std::string MeanText(const stats::Summary& s) {
  if (s.count == 0) return {};
  return common::TextOfDouble(std::round(s.mean * 100) / 100);
}

// Rows first .. of one strip: the heading row is written later, once the
// columns are fitted; here the student, the averages and the letters.
void WriteStrip(grid::ReportGrid& g, int first, const stats::ExamSnapshot& exam, std::size_t i,
                const SlipOptions& o, const std::vector<std::vector<stats::Summary>>& class_means,
                const std::vector<std::int32_t>& class_ranks) {
  const std::size_t subjects = exam.Subjects().size();
  const std::uint32_t klass = exam.ClassOf()[i];
  const int total_col = kKeyColumns + static_cast<int>(subjects) + 1;
  const int row = first + 1;
  g.SetCellText(row, 1, exam.SchoolOf(i).text);
  g.SetCellText(row, 2, exam.Classes()[klass].key.text);
  g.SetCellText(row, 3, exam.StudentNumber(i));
  g.SetCellText(row, 4, exam.Name(i));
  for (std::size_t s = 0; s < subjects; ++s) {
    const double score = exam.Scores(static_cast<int>(s))[i];
    g.SetCellText(row, kKeyColumns + 1 + static_cast<int>(s),
                  stats::IsAbsent(score) ? "缺考" : common::TextOfDouble(score));
  }
  g.SetCellText(row, total_col, common::TextOfSingle(static_cast<float>(exam.AllTotals()[i])));
  if (o.rank) {
    g.SetCellText(row, total_col + 1, common::TextOfInteger(exam.AllRanks()[i]));
    g.SetCellText(row, total_col + 2, common::TextOfInteger(class_ranks[i]));
  }
  int next = row + 1;
  if (o.average) {
    g.SetCellText(next, 1, "本班平均");
    for (std::size_t s = 0; s <= subjects; ++s)
      g.SetCellText(next, kKeyColumns + 1 + static_cast<int>(s), MeanText(class_means[s][klass]));
    ++next;
  }
  if (o.level) {
    g.SetCellText(next, 1, "等级");
    for (std::size_t s = 0; s < subjects; ++s)
      g.SetCellText(next, kKeyColumns + 1 + static_cast<int>(s),
                    stats::GradeText(SubjectGrade(exam, s, i)));
    g.SetCellText(next, total_col, stats::GradeText(OverallGrade(exam, i, GradeOptions{}.cuts)));
  }
}

// Before the fit, so that the columns are as wide as the headings on one line.
void WriteHeadings(grid::ReportGrid& g, const std::vector<grid::Strip>& strips) {
  for (const grid::Strip& strip : strips)
    for (int c = 1; c < g.Cols() && strip.first_row > 0; ++c)
      g.SetCellText(strip.first_row, c, g.CellText(0, c));
}

// After the fit: every strip's heading row styled like row 0, the labels of
// the extra rows across the key columns, the rows between strips narrow.
void ShapeStrips(grid::ReportGrid& g, const std::vector<grid::Strip>& strips) {
  for (const grid::Strip& strip : strips) {
    const int r = strip.first_row;
    g.SetRowHeight(r, g.RowHeight(0));
    for (int c = 1; c < g.Cols(); ++c) g.SetCellStyleIndex(r, c, g.CellStyleIndex(0, c));
    for (int extra = r + 2; extra < r + strip.rows; ++extra)
      g.AddMerge({extra, 1, extra, kKeyColumns});
    if (r + strip.rows < g.Rows()) g.SetRowHeight(r + strip.rows, kSpacerHeight);
  }
}

}  // namespace

std::pair<std::string, std::string> SplitClassChoice(const std::string& text) {
  const std::size_t slash = text.rfind('/');
  if (slash == std::string::npos) return {"", text};
  return {text.substr(0, slash), text.substr(slash + 1)};
}

std::vector<std::size_t> SlipStudents(const stats::ExamSnapshot& exam, const std::string& school,
                                      const std::string& klass) {
  const std::size_t classes = exam.Classes().size();
  const bool every = school.empty() && klass.empty();
  std::vector<bool> chosen(classes, every);
  if (!every) {
    bool any = false;
    for (std::size_t c = 0; c < classes; ++c) {
      const stats::ExamClass& ec = exam.Classes()[c];
      const std::string& s = exam.Schools()[static_cast<std::size_t>(ec.school)].text;
      chosen[c] = (school.empty() || s == school) && (klass.empty() || ec.key.text == klass);
      any = any || chosen[c];
    }
    if (!any) throw ReportError("没有这个班级：" + school + "/" + klass);
  }
  // Class by class in report order, a counting sort keeping the table's order within.
  std::vector<std::size_t> start(classes + 1, 0);
  for (std::uint32_t c : exam.ClassOf()) ++start[c + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<std::size_t> order(exam.StudentCount());
  for (std::size_t i = 0; i < exam.StudentCount(); ++i) order[start[exam.ClassOf()[i]]++] = i;
  std::erase_if(order, [&](std::size_t i) { return !chosen[exam.ClassOf()[i]]; });
  return order;
}

SlipOptions AdjustedForPrivacy(SlipOptions options, const data::PrivacySettings& privacy) {
  if (privacy.no_rank) {
    options.rank = false;
    options.level = true;
  }
  return options;
}

std::string ClassTitle(const std::string& school, const std::string& klass) {
  if (school.empty() && klass.empty()) return {};
  return "（" + school + klass + (klass.empty() || klass.ends_with("班") ? "" : "班") + "）";
}

SlipWriter::SlipWriter(const stats::ExamSnapshot& exam, const SlipOptions& options)
    : exam_(exam), options_(options) {
  const int classes = static_cast<int>(exam.Classes().size());
  if (options.average) {
    for (std::size_t s = 0; s < exam.Subjects().size(); ++s)
      class_means_.push_back(
          stats::SummarizeGroups(exam.Scores(static_cast<int>(s)), exam.ClassOf(), classes));
    class_means_.push_back(stats::SummarizeGroups(exam.AllTotals(), exam.ClassOf(), classes));
  }
  if (options.rank) class_ranks_ = ClassRanks(exam);
}

void SlipWriter::Fill(output::Document& doc, std::span<const std::size_t> students,
                      const data::AppState& state, const std::string& title,
                      output::Date today) const {
  const SlipOptions& o = options_;
  const int height = 2 + (o.average ? 1 : 0) + (o.level ? 1 : 0);
  const std::size_t n = students.size();
  StartTable(doc, SlipColumns(exam_, o.rank),
             n == 0 ? 0 : n * static_cast<std::size_t>(height + 1) - 2);
  grid::ReportGrid& g = doc.grid;
  doc.strips.clear();
  for (std::size_t k = 0; k < n; ++k) {
    const int first = static_cast<int>(k) * (height + 1);
    const std::uint32_t klass = exam_.ClassOf()[students[k]];
    doc.strips.push_back({first, height, k > 0 && exam_.ClassOf()[students[k - 1]] != klass});
    WriteStrip(g, first, exam_, students[k], o, class_means_, class_ranks_);
  }
  WriteHeadings(g, doc.strips);
  FinishTable(doc, state, title, n, output::FitPreference::kShrinkFirst, today);
  g.SetAutoRedraw(false);
  g.SetDisplayRowIndex(false);
  ShapeStrips(g, doc.strips);
  // Printed as strips: no heading row repeated at the top of a page.
  g.PageSetup().print_fixed_row = false;
  g.PageSetup().print_title_rows = 0;
  g.SetAutoRedraw(true);
}

void ResultSlips(output::Document& doc, data::AppState& state, const SlipOptions& options,
                 common::ProgressSink& progress, output::Date today) {
  const SlipOptions o = AdjustedForPrivacy(options, state.privacy);
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const std::vector<std::size_t> students = SlipStudents(exam, o.school, o.klass);
  progress.Report(0, 1, "成绩条");
  SlipWriter(exam, o).Fill(
      doc, students, state,
      state.title_settings.MainTitle + "成绩条" + ClassTitle(o.school, o.klass), today);
}

bool FlagChoice(const ReportChoices& choices, std::string_view name) {
  if (!choices.Given(name)) return choices.Get(name) == "是";
  const std::string v = choices.Get(name);
  return v.empty() || v == "是" || v == "1";
}

void ResultSlipKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  SlipOptions o;
  o.average = FlagChoice(choices, "average");
  o.level = FlagChoice(choices, "level");
  o.rank = FlagChoice(choices, "rank");
  std::tie(o.school, o.klass) = SplitClassChoice(choices.Get("class"));
  ResultSlips(doc, run.state, o, run.progress, run.today);
}

}  // namespace reports
