#include "reports/class_comparison.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "common/text_number.h"
#include "data/score_database.h"
#include "output/skip_step.h"
#include "reports/analysis_table.h"
#include "reports/exam_comparison.h"
#include "reports/stat_columns.h"
#include "stats/exam_history.h"
#include "stats/exam_matching.h"

namespace reports {
namespace {

using ClassKey = std::pair<std::string, std::string>;  // 学校, 班级 as cells show them
using ClassPairs = std::vector<std::pair<std::size_t, std::size_t>>;

ClassKey KeyOf(const stats::ExamSnapshot& exam, std::size_t c) {
  const stats::ExamClass& k = exam.Classes()[c];
  return {exam.Schools()[static_cast<std::size_t>(k.school)].text, k.key.text};
}

// (current, base) indices of the classes in both exams, in the current
// exam's report order.
ClassPairs CommonClasses(const stats::ExamSnapshot& now, const stats::ExamSnapshot& before) {
  std::map<ClassKey, std::size_t> in_base;
  for (std::size_t c = 0; c < before.Classes().size(); ++c) in_base.emplace(KeyOf(before, c), c);
  ClassPairs pairs;
  for (std::size_t c = 0; c < now.Classes().size(); ++c)
    if (auto it = in_base.find(KeyOf(now, c)); it != in_base.end())
      pairs.emplace_back(c, it->second);
  return pairs;
}

// A figure as its cell shows it, and the unrounded value a change is
// computed from (nothing for a mean of nobody).
struct Figure {
  std::string text;
  std::optional<double> value;
};

Figure Count(std::int64_t n) {
  return {common::TextOfInteger(n), static_cast<double>(n)};
}

// A mean or a rate: two decimals.
Figure Fixed(std::optional<double> value) {
  return {value ? TwoDecimals(*value) : std::string(), value};
}

// Writes the figures of both exams from column `first` on, then 本次 − 上次
// of each figure listed in `changed` (indices into the figures).
void WriteFigures(grid::ReportGrid& g, int row, int first, const std::vector<Figure>& now,
                  const std::vector<Figure>& before, const std::vector<std::size_t>& changed) {
  int col = first;
  for (const Figure& f : now) g.SetCellText(row, col++, f.text);
  for (const Figure& f : before) g.SetCellText(row, col++, f.text);
  for (std::size_t k : changed) {
    const std::optional<double> a = now.at(k).value, b = before.at(k).value;
    g.SetCellText(row, col++, a && b ? TwoDecimals(*a - *b) : std::string());
  }
}

// ---- by 全科总分

constexpr std::int32_t kTops[] = {50, 100, 200};

struct TotalFigures {
  std::int64_t students = 0;
  double sum = 0;
  std::int64_t top[std::size(kTops)] = {};

  // 人数, 平均分, 前50名, 前100名, 前200名.
  std::vector<Figure> Figures() const {
    std::vector<Figure> f = {
        Count(students), Fixed(students ? std::optional<double>(sum / static_cast<double>(students))
                                        : std::nullopt)};
    for (std::int64_t n : top) f.push_back(Count(n));
    return f;
  }
};

// One per class of `exam`, then the whole exam.
std::vector<TotalFigures> TotalFiguresOf(const stats::ExamSnapshot& exam) {
  std::vector<TotalFigures> figures(exam.Classes().size() + 1);
  for (std::size_t i = 0; i < exam.StudentCount(); ++i) {
    for (TotalFigures* f : {&figures[exam.ClassOf()[i]], &figures.back()}) {
      ++f->students;
      f->sum += exam.AllTotals()[i];
      for (std::size_t k = 0; k < std::size(kTops); ++k)
        if (exam.AllRanks()[i] <= kTops[k]) ++f->top[k];
    }
  }
  return figures;
}

std::vector<TableColumn> TotalColumns() {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}};
  for (const char* when : {"本次", "上次"}) {
    columns.push_back({std::string(when) + "人数", "0"});
    columns.push_back({std::string(when) + "平均分", "0.00"});
    for (std::int32_t n : kTops) columns.push_back({when + ("前" + std::to_string(n) + "名"), "0"});
  }
  columns.push_back({"平均分变化", "0.00"});
  return columns;
}

void FillByTotals(output::Document& doc, const stats::ExamSnapshot& now,
                  const stats::ExamSnapshot& before, const ClassPairs& pairs) {
  const std::vector<TotalFigures> f_now = TotalFiguresOf(now);
  const std::vector<TotalFigures> f_before = TotalFiguresOf(before);
  StartTable(doc, TotalColumns(), pairs.size() + 1);
  grid::ReportGrid& g = doc.grid;
  WriteTotalLabel(g);
  WriteFigures(g, 1, 3, f_now.back().Figures(), f_before.back().Figures(), {1});
  int row = 2;
  for (const auto& [c, b] : pairs) {
    WriteClassKeys(g, row, now, c);
    WriteFigures(g, row++, 3, f_now[c].Figures(), f_before[b].Figures(), {1});
  }
}

// ---- by a subject

// 人数, 平均分, 优秀率, 及格率 as 各班单科统计 computes them: per class, and
// for the whole exam.
struct SubjectFigures {
  std::map<ClassKey, std::vector<Figure>> classes;
  std::vector<Figure> whole;
};

std::vector<Figure> Picked(engine::Recordset& rs, int first) {
  // Fields of CountColumns: 参考人数, 总分, 平均分, 优秀人数, 优秀率, 优良人数,
  // 优良率, 及格人数, 及格率. The rates are 各班单科统计's own (in hundredths
  // of a percent); the mean is 总分 / 参考人数, not that report's rounded one.
  const auto value = [&](int k) {
    const int f = first + k;
    return common::NumericValue(rs.FieldValue(f).AsText(rs.FieldTypeOf(f)));
  };
  const double n = value(0);
  if (n <= 0) return {Count(0), Fixed(std::nullopt), Fixed(std::nullopt), Fixed(std::nullopt)};
  return {Count(static_cast<std::int64_t>(n)), Fixed(value(1) / n), Fixed(value(4)),
          Fixed(value(8))};
}

// Each exam with its own 三线表; the lines are scaled or not as the stored
// setting says, as in 各班单科统计.
SubjectFigures SubjectFiguresOf(engine::Database& db, const std::string& subject,
                                const std::string& exam_name, bool scale_by_full_mark) {
  data::SubjectLines lines;
  data::LoadSubjectLines(db, lines);
  const int index = lines.IndexOf(subject);
  if (index < 0) throw ReportError("考试“" + exam_name + "”没有科目“" + subject + "”。");
  const std::string columns = CountColumns(subject, LinesOf(lines, index, scale_by_full_mark));
  SubjectFigures figures;
  engine::Recordset rs =
      db.OpenRecordset("select 学校,班级," + columns + " from 成绩表  GROUP BY 学校,班级");
  for (; !rs.Eof(); rs.MoveNext())
    figures.classes[{rs.FieldValue(0).AsText(rs.FieldTypeOf(0)),
                     rs.FieldValue(1).AsText(rs.FieldTypeOf(1))}] = Picked(rs, 2);
  engine::Recordset whole = db.OpenRecordset("select " + columns + " from 成绩表");
  figures.whole = Picked(whole, 0);
  return figures;
}

std::vector<TableColumn> SubjectColumns() {
  std::vector<TableColumn> columns = {{"学校", ""}, {"班级", ""}, {"教师", ""}};
  for (const char* when : {"本次", "上次"}) {
    columns.push_back({std::string(when) + "人数", "0"});
    for (const char* figure : {"平均分", "优秀率", "及格率"})
      columns.push_back({std::string(when) + figure, "0.00"});
  }
  for (const char* figure : {"平均分变化", "优秀率变化", "及格率变化"})
    columns.push_back({figure, "0.00"});
  return columns;
}

std::vector<std::string> TeachersOf(engine::Database& db, const stats::ExamSnapshot& exam,
                                    const std::string& subject) {
  try {
    return stats::ReadClassTeachers(db, exam, subject);
  } catch (const engine::Error&) {
    return std::vector<std::string>(exam.Classes().size());  // no teachers for the subject
  }
}

void FillBySubject(output::Document& doc, data::AppState& state, const data::ExamInfo& base,
                   const std::string& subject, const stats::ExamSnapshot& now,
                   const ClassPairs& pairs) {
  engine::Database now_db = data::OpenScoreDatabase(state);
  engine::Database base_db = data::OpenExam(state.database_path, base.id);
  output::SkipOnError([&] { data::LoadSystemSettings(state); });
  const bool scale = state.system_settings.ScaleLinesByFullMark == 1;
  const SubjectFigures f_now = SubjectFiguresOf(now_db, subject, "本次", scale);
  const SubjectFigures f_before = SubjectFiguresOf(base_db, subject, base.name, scale);
  const std::vector<std::string> teachers = TeachersOf(now_db, now, subject);
  const auto figures_of = [](const SubjectFigures& f, const ClassKey& key) {
    auto it = f.classes.find(key);
    return it == f.classes.end() ? std::vector<Figure>(4) : it->second;
  };
  StartTable(doc, SubjectColumns(), pairs.size() + 1);
  grid::ReportGrid& g = doc.grid;
  WriteTotalLabel(g);
  WriteFigures(g, 1, 4, f_now.whole, f_before.whole, {1, 2, 3});
  int row = 2;
  for (const auto& [c, b] : pairs) {
    const ClassKey key = KeyOf(now, c);
    WriteClassKeys(g, row, now, c);
    g.SetCellText(row, 3, teachers[c]);
    WriteFigures(g, row++, 4, figures_of(f_now, key), figures_of(f_before, key), {1, 2, 3});
  }
}

}  // namespace

void ClassComparison(output::Document& doc, data::AppState& state, const data::ExamInfo& base,
                     const std::string& subject, common::ProgressSink& progress,
                     output::Date today) {
  const stats::ExamSnapshot now = ReadCurrentExam(state, progress);
  if (!subject.empty()) SubjectIndex(state.subject_lines, subject);
  const stats::ExamSnapshot before = stats::ReadLibraryExam(state.database_path, base.id, progress);
  const ClassPairs pairs = CommonClasses(now, before);
  if (subject.empty())
    FillByTotals(doc, now, before, pairs);
  else
    FillBySubject(doc, state, base, subject, now, pairs);
  data::AppState titled = state;
  titled.title_settings = ComparedTitles(state, base, stats::MatchStudents(now, before).matched);
  const std::string title = state.title_settings.MainTitle + "班级对比表" +
                            (subject.empty() ? std::string() : "（" + subject + "）");
  FinishTable(doc, titled, title, pairs.size(), output::FitPreference::kTurnFirst, today);
}

void ClassComparisonKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  const data::ExamInfo base = ChosenBaseExam(run.state, choices);
  ClassComparison(doc, run.state, base, choices.Get("subject"), run.progress, run.today);
}

}  // namespace reports
