#include "reports/letter_trend.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "common/text_number.h"
#include "data/exam_library.h"
#include "engine/database.h"
#include "reports/grade_levels.h"
#include "stats/exam_history.h"
#include "stats/exam_matching.h"

namespace reports {
namespace {

constexpr float kNotThere = std::numeric_limits<float>::quiet_NaN();
constexpr int kRowHeight = 24;
constexpr int kChartHeight = 168;  // the least a readable line needs
constexpr int kChartColumn = 5;    // the chart covers the letter's columns 5 .. 7
constexpr int kLastColumn = 7;
// The exams' marks on the chart's narrow axis, and before their names in the
// table: an exam's name would not fit under its point.
constexpr const char* kMarks[kMaxTrendExams] = {"①", "②", "③", "④", "⑤", "⑥", "⑦", "⑧"};

// The ids of the exams a letter shows: the current one and up to
// kMaxTrendExams − 1 before it in date order (the last ones when the
// current exam is not in the library).
std::set<int> WindowIds(const std::string& database_path) {
  const std::vector<data::ExamInfo> exams = data::ListExams(database_path);
  const int current = data::CurrentExamId(database_path);
  const auto at = std::find_if(exams.begin(), exams.end(),
                               [&](const data::ExamInfo& e) { return e.id == current; });
  const auto end = at == exams.end() ? exams.end() : at + 1;
  const auto begin = end - std::min<std::ptrdiff_t>(end - exams.begin(), kMaxTrendExams);
  std::set<int> ids;
  for (auto e = begin; e != end; ++e) ids.insert(e->id);
  return ids;
}

void SetCells(grid::ReportGrid& g, int row, const std::string& exam, const std::string& total,
              const std::string& grade, std::uint32_t style) {
  g.SetCellText(row, 1, exam);
  g.SetCellText(row, 3, total);
  g.SetCellText(row, 4, grade);
  for (int c = 1; c < kChartColumn; ++c) g.SetCellStyleIndex(row, c, style);
  g.AddMerge({row, 1, row, 2});
}

}  // namespace

data::LetterTrend TrendChoice(const ReportChoices& choices, data::LetterTrend stored) {
  if (!choices.Given("trend")) return stored;
  const std::string v = choices.Get("trend");
  if (v.empty() || v == "是" || v == "1") return data::LetterTrend::kOn;
  if (v == "否" || v == "0") return data::LetterTrend::kOff;
  throw ReportError("--trend 的值应为 是 或 否，不是“" + v + "”。");
}

LetterTrends::LetterTrends(const std::string& database_path, const stats::ExamSnapshot& current,
                           std::span<const std::size_t> students, data::LetterTrend choice,
                           common::ProgressSink& progress) {
  if (choice == data::LetterTrend::kOff) return;
  std::size_t holding = 0;  // exams with at least one of `students`
  try {
    const std::set<int> window = WindowIds(database_path);
    if (window.size() < 2) return;
    stats::VisitHistory(
        database_path, current, progress,
        [&](std::size_t, const data::ExamInfo& info, const stats::ExamSnapshot& exam,
            std::span<const std::int64_t> index_of) {
          names_.push_back(info.name);
          std::vector<float>& totals = totals_.emplace_back(index_of.size(), kNotThere);
          std::vector<std::uint8_t>& grades = grades_.emplace_back(index_of.size(), 0);
          for (std::size_t i = 0; i < index_of.size(); ++i) {
            if (index_of[i] == stats::kUnmatched) continue;
            const auto j = static_cast<std::size_t>(index_of[i]);
            totals[i] = static_cast<float>(exam.AllTotals()[j]);
            grades[i] = static_cast<std::uint8_t>(OverallGrade(exam, j, GradeOptions{}.cuts));
          }
          if (std::any_of(students.begin(), students.end(),
                          [&](std::size_t i) { return index_of[i] != stats::kUnmatched; }))
            ++holding;
        },
        [&](const data::ExamInfo& info) { return window.count(info.id) > 0; });
  } catch (const data::LibraryError&) {
    // A library that cannot be read costs the letters their trend, not the letters.
    holding = 0;
  } catch (const engine::Error&) {
    holding = 0;
  }
  if (choice == data::LetterTrend::kAuto ? holding < 2 : names_.size() < 2) *this = {};
}

int LetterTrends::Rows() const {
  return Shown() ? static_cast<int>(names_.size()) + 1 : 0;
}

void LetterTrends::Write(grid::ReportGrid& g, int first, std::size_t i, std::uint32_t heading,
                         std::uint32_t cell) const {
  if (!Shown()) return;
  const int rows = Rows();
  const int height = std::max(kRowHeight, (kChartHeight + rows - 1) / rows);
  SetCells(g, first, "考试", "全科总分", "总评", heading);
  for (std::size_t e = 0; e < names_.size(); ++e) {
    const float total = totals_[e][i];
    const bool there = !std::isnan(total);
    SetCells(g, first + 1 + static_cast<int>(e), std::string(kMarks[e]) + " " + names_[e],
             there ? common::TextOfSingle(total) : "未参加",
             there ? stats::GradeText(static_cast<stats::Grade>(grades_[e][i])) : "—", cell);
  }
  for (int r = first; r < first + rows; ++r) g.SetRowHeight(r, height);
  g.SetCellTag(first, kChartColumn, kTrendChartTag);
  g.AddMerge({first, kChartColumn, first + rows - 1, kLastColumn});
}

std::optional<TrendFigure> FindTrendFigure(const grid::ReportGrid& g, const grid::Strip& strip) {
  if (g.Cols() <= kLastColumn) return std::nullopt;
  for (int r = std::max(strip.first_row, 0); r < strip.first_row + strip.rows && r < g.Rows();
       ++r) {
    if (g.CellTag(r, kChartColumn) != kTrendChartTag) continue;
    const std::optional<grid::CellRect> area = g.MergeAt(r, kChartColumn);
    if (!area) return std::nullopt;
    TrendFigure figure{*area, {}};
    ChartData& chart = figure.chart;
    chart.shape = ChartShape::kCategoryLine;
    chart.whole_numbers = true;  // a small axis: 600, not 600.0
    ChartSeries totals{"全科总分", {}};
    for (int e = area->first_row + 1; e <= area->last_row; ++e) {
      chart.categories.emplace_back(kMarks[std::min<std::size_t>(
          static_cast<std::size_t>(e - area->first_row - 1), kMaxTrendExams - 1)]);
      const std::string total(g.CellText(e, 3));
      totals.values.push_back(
          common::ParseWholeNumber(total).value_or(std::numeric_limits<double>::quiet_NaN()));
    }
    chart.series.push_back(std::move(totals));
    return figure;
  }
  return std::nullopt;
}

}  // namespace reports
