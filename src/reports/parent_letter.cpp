#include "reports/parent_letter.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/text_number.h"
#include "output/paper_fit.h"
#include "reports/analysis_table.h"
#include "reports/grade_levels.h"
#include "reports/result_slips.h"

namespace reports {
namespace {

constexpr int kColumns = 7;  // 科目, 成绩, 等级, then the class's A, B, C, D
constexpr const char* kHeadings[kColumns] = {"科目",      "成绩",      "等级",     "本班A人数",
                                             "本班B人数", "本班C人数", "本班D人数"};
constexpr const char* kExplanation =
    "说明：A 达到优秀线，B 达到优良线，C 达到及格线，D 未达及格线；“本班”各列只是人数。"
    "总评按全科总分在全年级中的位置评定，不公布名次。";

// The styles a letter uses, interned once for all pages.
struct LetterStyles {
  std::uint32_t title, text, heading, cell;
};

LetterStyles InternStyles(grid::ReportGrid& g) {
  grid::CellStyle title;
  title.font_size = 16;
  title.bold = true;
  title.alignment = grid::kAlignCenter;
  grid::CellStyle text;
  text.font_size = 11;
  text.wrap_text = true;
  text.alignment = 6;  // left, vertically centred
  grid::CellStyle heading;
  heading.bold = true;
  heading.alignment = grid::kAlignCenter;
  heading.font_size = 11;
  grid::CellStyle cell;
  cell.alignment = grid::kAlignCenter;
  cell.font_size = 11;
  return {g.InternStyle(title), g.InternStyle(text), g.InternStyle(heading), g.InternStyle(cell)};
}

// A line across the letter's width.
void WriteLine(grid::ReportGrid& g, int row, const std::string& text, std::uint32_t style,
               int height) {
  g.SetCellText(row, 1, text);
  for (int c = 1; c <= kColumns; ++c) g.SetCellStyleIndex(row, c, style);
  g.AddMerge({row, 1, row, kColumns});
  g.SetRowHeight(row, height);
}

void WriteCells(grid::ReportGrid& g, int row, const std::vector<std::string>& texts,
                std::uint32_t style) {
  for (int c = 1; c <= kColumns; ++c) {
    g.SetCellText(row, c, texts[static_cast<std::size_t>(c - 1)]);
    g.SetCellStyleIndex(row, c, style);
  }
  g.SetRowHeight(row, 26);
}

struct LetterData {
  const stats::ExamSnapshot& exam;
  const LetterTrends& trends;
  const std::vector<std::vector<std::int64_t>>& counts;
  const std::vector<std::array<std::int64_t, 4>>& overall;
  std::string exam_name;
  std::string footer;
  LetterStyles styles;
};

std::vector<std::array<std::int64_t, 4>> OverallCounts(const stats::ExamSnapshot& exam) {
  std::vector<std::array<std::int64_t, 4>> counts(exam.Classes().size(), {0, 0, 0, 0});
  for (std::size_t i = 0; i < exam.StudentCount(); ++i)
    ++counts[exam.ClassOf()[i]]
            [static_cast<std::size_t>(OverallGrade(exam, i, GradeOptions{}.cuts))];
  return counts;
}

// One student's letter from grid row `first`; returns its number of rows.
int WriteLetter(grid::ReportGrid& g, int first, const LetterData& d, std::size_t i) {
  const stats::ExamSnapshot& exam = d.exam;
  const std::uint32_t klass = exam.ClassOf()[i];
  const std::string name(exam.Name(i));
  int r = first;
  WriteLine(g, r++, "家长告知书", d.styles.title, 44);
  WriteLine(g, r++,
            "尊敬的" + name + "同学家长：您好！现将" + name + "同学在" + d.exam_name +
                "中的成绩告知如下，仅供您了解孩子的学习情况。",
            d.styles.text, 48);
  WriteLine(g, r++,
            "学校：" + exam.SchoolOf(i).text + "　班级：" + exam.Classes()[klass].key.text +
                "　学号：" + std::string(exam.StudentNumber(i)) + "　姓名：" + name,
            d.styles.text, 28);
  WriteCells(g, r++, {kHeadings, kHeadings + kColumns}, d.styles.heading);
  for (std::size_t s = 0; s < exam.Subjects().size(); ++s) {
    const double score = exam.Scores(static_cast<int>(s))[i];
    std::vector<std::string> cells = {exam.Subjects()[s].name,
                                      stats::IsAbsent(score) ? "缺考" : common::TextOfDouble(score),
                                      stats::GradeText(SubjectGrade(exam, s, i))};
    for (std::size_t letter = 0; letter < 4; ++letter)
      cells.push_back(CountText(d.counts[klass + 1][s * 4 + letter]));
    WriteCells(g, r++, cells, d.styles.cell);
  }
  std::vector<std::string> total = {
      "全科总分", common::TextOfSingle(static_cast<float>(exam.AllTotals()[i])),
      std::string("总评 ") + stats::GradeText(OverallGrade(exam, i, GradeOptions{}.cuts))};
  for (std::int64_t n : d.overall[klass]) total.push_back(CountText(n));
  WriteCells(g, r++, total, d.styles.cell);
  d.trends.Write(g, r, i, d.styles.heading, d.styles.cell);
  r += d.trends.Rows();
  WriteLine(g, r++, kExplanation, d.styles.text, 48);
  WriteLine(g, r++, d.footer, d.styles.text, 36);
  g.SetCellStyle(r - 1, 1, [&] {
    grid::CellStyle right = g.Styles().Get(d.styles.text);
    right.alignment = 14;  // right, vertically centred
    return right;
  }());
  return r - first;
}

int LetterRows(const stats::ExamSnapshot& exam, const LetterTrends& trends) {
  return 6 + static_cast<int>(exam.Subjects().size()) + 1 + trends.Rows();
}

}  // namespace

std::string LetterFooter(const data::TitleSettings& titles, output::Date today) {
  if (!titles.LetterFooter.empty()) return titles.LetterFooter;
  return titles.School + (titles.School.empty() ? "" : "　") + output::DateText(today);
}

LetterWriter::LetterWriter(const stats::ExamSnapshot& exam, LetterTrends trends)
    : exam_(exam),
      counts_(GradeCounts(exam)),
      overall_(OverallCounts(exam)),
      trends_(std::move(trends)) {}

void LetterWriter::Fill(output::Document& doc, std::span<const std::size_t> students,
                        const data::AppState& state, const std::string& title,
                        output::Date today) const {
  grid::ReportGrid& g = doc.grid;
  g.SetAutoRedraw(false);
  const int height = LetterRows(exam_, trends_);
  // Each letter and one empty row after it, as every report ends with one.
  g.SetCols(kColumns + 1);
  g.SetRows(std::max<int>(2, static_cast<int>(students.size()) * (height + 1)));
  g.SetFixedRows(0);
  g.SetColWidth(0, 0);
  for (int c = 1; c <= kColumns; ++c) g.SetColWidth(c, c == 1 ? 96 : 80);
  const std::string& main_title = state.title_settings.MainTitle;
  const LetterData data{exam_,
                        trends_,
                        counts_,
                        overall_,
                        main_title.empty() ? std::string("本次考试") : "“" + main_title + "”",
                        LetterFooter(state.title_settings, today),
                        InternStyles(g)};
  doc.strips.clear();
  for (std::size_t k = 0; k < students.size(); ++k) {
    const int first = static_cast<int>(k) * (height + 1);
    doc.strips.push_back({first, WriteLetter(g, first, data, students[k]), true});
  }
  doc.caption = title;
  doc.title = title + " [共有 " + std::to_string(students.size()) + " 个记录]";
  output::SetUpReportPage(g, grid::kPortrait, 0);
  g.PageSetup().print_fixed_row = false;
  g.PageSetup().footer.text.clear();
  g.SetAutoRedraw(true);
}

void ParentLetters(output::Document& doc, data::AppState& state, const LetterOptions& options,
                   common::ProgressSink& progress, output::Date today) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  const std::vector<std::size_t> students = SlipStudents(exam, options.school, options.klass);
  LetterTrends trends(state.database_path, exam, students, options.trend, progress);
  progress.Report(0, 1, "家长告知书");
  LetterWriter(exam, std::move(trends))
      .Fill(
          doc, students, state,
          state.title_settings.MainTitle + "家长告知书" + ClassTitle(options.school, options.klass),
          today);
}

void ParentLetterKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  LetterOptions o;
  std::tie(o.school, o.klass) = SplitClassChoice(choices.Get("class"));
  o.trend = TrendChoice(choices, run.state.privacy.letter_trend);
  ParentLetters(doc, run.state, o, run.progress, run.today);
}

}  // namespace reports
