// What a chart shows, computed from the exam without any drawing: the
// categories along the bottom, the series of values, the boxes, and the
// reference lines. The chart module turns one ChartData into a picture; the
// same data gives the same picture on screen, on paper and in a file.
//
// The chart kinds (fsd, xxt, bjzt, yfydt) each compute one from an exam
// snapshot and the stored settings, qst from the exam library's history;
// reports/chart_catalog.h declares them.
#pragma once

#include <string>
#include <vector>

#include "data/app_state.h"
#include "reports/report_catalog.h"
#include "stats/exam_history.h"
#include "stats/exam_snapshot.h"
#include "stats/kernels.h"

namespace reports {

enum class ChartShape {
  kBars,         // one bar per series in each category, side by side
  kSeriesBars,   // one bar per category, its pattern that of the series holding it
  kBoxes,        // one box per category
  kCurve,        // a line through (x, value) points of each series
  kCategoryLine  // a line through one value per category of each series
};

struct ChartSeries {
  std::string name;
  // One per category (kBars, kSeriesBars: 0 where the series has no bar;
  // kCategoryLine), or one per point of `x` (kCurve).
  std::vector<double> values;
};

// A reference line across the plot: vertical at `position` on the category
// axis (0 is the first category's centre, 0.5 the border to the next), or
// horizontal at `position` on the value axis.
struct ChartLine {
  std::string name;  // the legend's text, the value included: "优秀线 85"
  double position = 0;
};

struct ChartData {
  ChartShape shape = ChartShape::kBars;
  std::string title;
  std::string x_title;
  std::string y_title;
  std::vector<std::string> categories;
  std::vector<ChartSeries> series;
  std::vector<stats::BoxSummary> boxes;  // kBoxes: one per category
  std::vector<double> x;                 // kCurve: the points' positions, ascending
  std::vector<ChartLine> vertical_lines;
  std::vector<ChartLine> horizontal_lines;
  bool whole_numbers = false;        // the value axis counts students
  bool value_axis_reversed = false;  // ranks: 1 at the top
  // Said across the plot when the data cannot make the chart (a trend of
  // one exam); empty otherwise.
  std::string notice;
};

// ---- 分数段分布图 (fsd)
struct ScoreHistogramOptions {
  std::string measure = "全科总分";  // a subject, 全科总分 or 主科总分
  int step = 0;                      // band width; 0 for the stored 单科段 / 总分段
  bool by_school = false;            // one series per school
};
// The bands of the single-subject statistics (reports::Segments of the full
// mark and the width), lowest first. A score between two bands' bounds
// (79.5 between 60-79 and 80-100) counts in the lower one, and the scores
// below the lowest band in one more band from 0, so that every student who
// sat is counted once. A subject draws its 优秀, 优良 and 及格 lines as the
// single-subject statistics take them. Throws ReportError for an unknown
// subject or a width below 1.
ChartData ScoreHistogram(const stats::ExamSnapshot& exam, const data::AppState& state,
                         const ScoreHistogramOptions& options);

// ---- 各班箱线图 (xxt)
// One box per class with a present score, ordered by median, highest first
// (equal medians in report order); the grade's mean as a horizontal line.
ChartData ClassBoxPlot(const stats::ExamSnapshot& exam, const data::AppState& state,
                       const std::string& measure);

// ---- 各班对比图 (bjzt)
// 平均分, 优秀率, 优良率, 及格率 or 综合分, as the single-subject statistics
// round them.
struct ClassComparisonOptions {
  std::string measure;  // a subject, or a total for 平均分
  std::string figure = "平均分";
};
// One bar per class with a present score, in report order, one series per
// school; the grade's figure as a horizontal line. Throws ReportError for
// an unknown figure, or a rate of a total (a total has no lines).
ChartData ClassComparison(const stats::ExamSnapshot& exam, const data::AppState& state,
                          const ClassComparisonOptions& options);

// ---- 一分一段曲线 (yfydt)
// For each band of the 一分一段 report (its options), from the lowest up,
// the number of students at or above the band's low score.
ChartData CumulativeCurve(const stats::ExamSnapshot& exam, const data::AppState& state,
                          const std::string& measure, int step, const std::string& school);

// ---- 成绩趋势图 (qst)
// One category per exam of the history (date order, the exam's name); a
// value is NaN where the student or class is not in that exam, and the
// line breaks there. With fewer than two exams, or a student found in
// fewer than two, the chart carries a notice saying why there is no trend.
//
// A student: 全科排名 per exam, the rank axis reversed so that up is better.
ChartData StudentTrend(const std::vector<stats::StudentExamResult>& history,
                       const std::string& student_number);
// A class: the mean of its 全科总分 per exam against the grade's mean.
ChartData ClassTrend(const std::vector<stats::ClassExamResult>& history, const std::string& school,
                     const std::string& class_name);

}  // namespace reports
