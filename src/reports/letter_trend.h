// The trend on a parent letter: the student's 全科总分 and 总评 in the exams
// of the library up to this one, a small table beside a line chart. The
// table is cells of the letter's grid; the chart is drawn over cells the
// table marks (FindTrendFigure), from the table's own figures, by whoever
// paints the page, since the core cannot draw. 总评 stands where a rank
// would, as everywhere on the letter: a letter never shows a rank.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "grid/report_grid.h"
#include "grid/selection.h"
#include "grid/strips.h"
#include "reports/chart_data.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

// The exams a letter shows at most: the current one and those before it.
inline constexpr std::size_t kMaxTrendExams = 8;

// The tag of the cell the chart is drawn over (merged across the table's rows).
inline constexpr const char* kTrendChartTag = "trend-chart";

// The setting as given for one run: --trend (是), --no-trend (否), else the
// stored 告知书不画趋势.
data::LetterTrend TrendChoice(const ReportChoices& choices, data::LetterTrend stored);

// Each student's 全科总分 and 总评 in the exams of the library up to the
// current one (at most kMaxTrendExams, date order), read one exam at a time:
// five bytes per student and exam, whatever the students' number. Shown
// when `choice` is kOn and the window holds two exams or more, or kAuto and
// two or more of them hold at least one of `students` (indices into
// `current`, which must outlive nothing here). A library that cannot be
// read shows no trend.
class LetterTrends {
 public:
  LetterTrends() = default;
  LetterTrends(const std::string& database_path, const stats::ExamSnapshot& current,
               std::span<const std::size_t> students, data::LetterTrend choice,
               common::ProgressSink& progress);

  bool Shown() const { return !names_.empty(); }
  // The rows a letter's trend takes (0 when not shown).
  int Rows() const;
  // Writes the trend of student `i` of the current exam from grid row `first`
  // over columns 1 .. 7, the table's styles `heading` and `cell`.
  void Write(grid::ReportGrid& g, int first, std::size_t i, std::uint32_t heading,
             std::uint32_t cell) const;

 private:
  std::vector<std::string> names_;
  std::vector<std::vector<float>> totals_;         // [exam][student], NaN where not in it
  std::vector<std::vector<std::uint8_t>> grades_;  // stats::Grade
};

// A chart a strip asks for: the cells it covers and what it shows.
struct TrendFigure {
  grid::CellRect area;
  ChartData chart;
};

// The trend chart of a letter strip, read back from the strip's trend table;
// nothing when the strip has none.
std::optional<TrendFigure> FindTrendFigure(const grid::ReportGrid& g, const grid::Strip& strip);

}  // namespace reports
