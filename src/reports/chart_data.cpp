#include "reports/chart_data.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "common/text_number.h"
#include "data/weighted_totals.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"
#include "reports/score_bands.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

// Enough for a width of 1 on any subject; a total wants a wider band.
constexpr std::size_t kMaxBands = 1000;

std::string Fixed2(double value) {
  return grid::FormatNumber(value, "0.00");
}

// A class as an axis shows it: "一中 3班" when the exam has several schools.
std::string ClassLabel(const stats::ExamSnapshot& exam, std::size_t class_index) {
  const stats::ExamClass& c = exam.Classes()[class_index];
  std::string label = c.key.text;
  if (c.key.kind == stats::KeyValue::Kind::kNumber) label += "班";
  if (exam.Schools().size() > 1)
    label = exam.Schools()[static_cast<std::size_t>(c.school)].text + " " + label;
  return label;
}

// The lows of the histogram's bands, ascending, and the full mark that
// closes the top one.
struct BandLayout {
  std::vector<int> lows;
  int full_mark = 0;

  std::size_t IndexOf(double score) const {
    const auto above = std::upper_bound(lows.begin(), lows.end(), score);
    return above == lows.begin() ? 0 : static_cast<std::size_t>(above - lows.begin() - 1);
  }
  // The first score of the next band (one past the full mark for the top one).
  int End(std::size_t i) const { return i + 1 < lows.size() ? lows[i + 1] : full_mark + 1; }
};

BandLayout LayBands(int full_mark, int width) {
  BandLayout layout;
  layout.full_mark = full_mark;
  const std::vector<Segment> segments = Segments(full_mark, width);
  if (segments.size() > kMaxBands)
    throw ReportError("分数段太多（超过 " + std::to_string(kMaxBands) +
                      " 段），请加大分数段的宽度。");
  for (auto it = segments.rbegin(); it != segments.rend(); ++it) layout.lows.push_back(it->low);
  if (layout.lows.empty() || layout.lows.front() > 0) layout.lows.insert(layout.lows.begin(), 0);
  return layout;
}

std::vector<ChartLine> LineMarkers(const data::AppState& state, const std::string& subject,
                                   const BandLayout& layout) {
  const int index = SubjectIndex(state.subject_lines, subject);
  const StatLines lines =
      LinesOf(state.subject_lines, index, state.system_settings.ScaleLinesByFullMark == 1);
  std::vector<ChartLine> markers;
  const std::pair<const char*, double> named[] = {
      {"优秀线 ", lines.excellent}, {"优良线 ", lines.good}, {"及格线 ", lines.pass}};
  for (const auto& [name, score] : named) {
    const std::size_t i = layout.IndexOf(score);
    const double low = layout.lows[i];
    const double fraction = (score - low) / (layout.End(i) - low);
    markers.push_back({name + common::TextOfDouble(score),
                       static_cast<double>(i) - 0.5 + std::clamp(fraction, 0.0, 1.0)});
  }
  return markers;
}

}  // namespace

ChartData ScoreHistogram(const stats::ExamSnapshot& exam, const data::AppState& state,
                         const ScoreHistogramOptions& options) {
  const Measure measure = ChooseMeasure(exam, options.measure);
  const data::SystemSettings& settings = state.system_settings;
  const int width = options.step > 0    ? options.step
                    : measure.IsTotal() ? settings.TotalSegment
                                        : settings.SubjectSegment;
  if (width < 1) throw ReportError("分数段的宽度应是不小于 1 的整数。");
  const int full_mark = measure.IsTotal()
                            ? static_cast<int>(data::WeightedFullMark(state.subject_lines,
                                                                      measure.name == kMainTotal))
                            : exam.Subjects()[static_cast<std::size_t>(measure.subject)].full_mark;
  const BandLayout layout = LayBands(full_mark, width);

  ChartData chart;
  chart.shape = ChartShape::kBars;
  chart.title = state.title_settings.MainTitle + measure.name + "分数段分布图";
  chart.x_title = "分数段（每段" + std::to_string(width) + "分）";
  chart.y_title = "人数";
  chart.whole_numbers = true;
  for (std::size_t i = 0; i < layout.lows.size(); ++i)
    chart.categories.push_back(std::to_string(layout.lows[i]) + "-" +
                               std::to_string(layout.End(i) - 1));
  const std::size_t series_count = options.by_school ? exam.Schools().size() : 1;
  for (std::size_t s = 0; s < series_count; ++s)
    chart.series.push_back({options.by_school ? exam.Schools()[s].text : std::string("人数"),
                            std::vector<double>(layout.lows.size(), 0)});
  for (std::size_t i = 0; i < measure.scores.size(); ++i) {
    if (stats::IsAbsent(measure.scores[i])) continue;
    const std::size_t s =
        options.by_school ? static_cast<std::size_t>(exam.Classes()[exam.ClassOf()[i]].school) : 0;
    ++chart.series[s].values[layout.IndexOf(measure.scores[i])];
  }
  if (!measure.IsTotal()) chart.vertical_lines = LineMarkers(state, measure.name, layout);
  return chart;
}

ChartData ClassBoxPlot(const stats::ExamSnapshot& exam, const data::AppState& state,
                       const std::string& measure_name) {
  const Measure measure = ChooseMeasure(exam, measure_name);
  const std::vector<stats::BoxSummary> boxes =
      stats::BoxesOfGroups(measure.scores, exam.ClassOf(), static_cast<int>(exam.Classes().size()));
  std::vector<std::size_t> order;
  for (std::size_t c = 0; c < boxes.size(); ++c)
    if (boxes[c].count > 0) order.push_back(c);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return boxes[a].median > boxes[b].median; });

  ChartData chart;
  chart.shape = ChartShape::kBoxes;
  chart.title = state.title_settings.MainTitle + "各班" + measure.name + "箱线图";
  chart.x_title = "班级（按中位数从高到低）";
  chart.y_title = measure.name;
  for (std::size_t c : order) {
    chart.categories.push_back(ClassLabel(exam, c));
    chart.boxes.push_back(boxes[c]);
  }
  const stats::Summary grade = stats::Summarize(measure.scores);
  if (grade.count > 0)
    chart.horizontal_lines.push_back({"年级平均分 " + Fixed2(grade.mean), grade.mean});
  return chart;
}

namespace {

// What a group's bar stands for, counted in one pass per group.
struct GroupCounts {
  stats::Summary summary;
  std::array<std::int64_t, 3> at_lines{};  // 优秀, 优良, 及格
};

// Jet's CInt: to the nearest whole number, halves to even.
double RoundEven(double x) {
  return std::nearbyint(x);
}

double FigureOf(const GroupCounts& g, std::string_view figure, const data::SystemSettings& w) {
  const auto n = static_cast<double>(g.summary.count);
  const double mean = RoundEven(g.summary.mean * 100) / 100;
  const auto fraction = [&](int line) {  // to four decimals
    return RoundEven(static_cast<double>(g.at_lines[static_cast<std::size_t>(line)]) * 10000 / n) /
           10000;
  };
  if (figure == "平均分") return mean;
  if (figure == "优秀率") return fraction(0) * 100;
  if (figure == "优良率") return fraction(1) * 100;
  if (figure == "及格率") return fraction(2) * 100;
  return mean / 100 * w.AvgWeight + fraction(0) * w.ExcellentWeight + fraction(1) * w.GoodWeight +
         fraction(2) * w.PassWeight;
}

std::vector<GroupCounts> CountByClass(const stats::ExamSnapshot& exam, const Measure& measure,
                                      const StatLines& lines, GroupCounts& grade) {
  const auto classes = static_cast<int>(exam.Classes().size());
  const std::vector<stats::Summary> summaries =
      stats::SummarizeGroups(measure.scores, exam.ClassOf(), classes);
  std::vector<GroupCounts> groups(summaries.size());
  for (std::size_t c = 0; c < groups.size(); ++c) groups[c].summary = summaries[c];
  grade.summary = stats::Summarize(measure.scores);
  const double line_scores[] = {lines.excellent, lines.good, lines.pass};
  for (std::size_t i = 0; i < measure.scores.size(); ++i) {
    const double x = measure.scores[i];
    if (stats::IsAbsent(x)) continue;
    for (std::size_t k = 0; k < 3; ++k) {
      if (x < line_scores[k]) continue;
      ++groups[exam.ClassOf()[i]].at_lines[k];
      ++grade.at_lines[k];
    }
  }
  return groups;
}

}  // namespace

ChartData ClassComparison(const stats::ExamSnapshot& exam, const data::AppState& state,
                          const ClassComparisonOptions& options) {
  const std::string_view figures[] = {"平均分", "优秀率", "优良率", "及格率", "综合分"};
  if (std::find(std::begin(figures), std::end(figures), options.figure) == std::end(figures))
    throw ReportError("没有这种比较项目：" + options.figure + "（可选 平均分、优秀率、优良率、" +
                      "及格率、综合分）");
  const Measure measure = ChooseMeasure(exam, options.measure);
  if (measure.IsTotal() && options.figure != "平均分")
    throw ReportError(measure.name + "没有分数线，只能比较平均分。");
  StatLines lines;
  if (!measure.IsTotal())
    lines = LinesOf(state.subject_lines, SubjectIndex(state.subject_lines, measure.name),
                    state.system_settings.ScaleLinesByFullMark == 1);
  GroupCounts grade;
  const std::vector<GroupCounts> groups = CountByClass(exam, measure, lines, grade);

  ChartData chart;
  chart.shape = ChartShape::kSeriesBars;
  chart.title = state.title_settings.MainTitle + "各班" + measure.name + options.figure + "对比图";
  chart.x_title = "班级";
  chart.y_title = options.figure + (options.figure.ends_with("率") ? "（%）" : "");
  for (const stats::KeyValue& school : exam.Schools()) chart.series.push_back({school.text, {}});
  for (std::size_t c = 0; c < groups.size(); ++c) {
    if (groups[c].summary.count == 0) continue;
    chart.categories.push_back(ClassLabel(exam, c));
    const auto school = static_cast<std::size_t>(exam.Classes()[c].school);
    for (std::size_t s = 0; s < chart.series.size(); ++s)
      chart.series[s].values.push_back(
          s == school ? FigureOf(groups[c], options.figure, state.system_settings) : 0);
  }
  if (grade.summary.count > 0) {
    const double value = FigureOf(grade, options.figure, state.system_settings);
    chart.horizontal_lines.push_back({"年级" + options.figure + " " + Fixed2(value), value});
  }
  return chart;
}

ChartData CumulativeCurve(const stats::ExamSnapshot& exam, const data::AppState& state,
                          const std::string& measure, int step, const std::string& school) {
  ScoreBandOptions options;
  options.measure = measure;
  options.step = step;
  options.school = school;
  const std::vector<stats::Band> bands = ScoreBandCounts(exam, options);

  ChartData chart;
  chart.shape = ChartShape::kCurve;
  chart.title = state.title_settings.MainTitle + school + measure + "一分一段曲线";
  chart.x_title = "分数";
  chart.y_title = "累计人数（该分数及以上）";
  chart.whole_numbers = true;
  chart.series.push_back({"累计人数", std::vector<double>(bands.size())});
  chart.x.resize(bands.size());
  // The bands run from the highest down; the curve from the lowest up.
  std::int64_t running = 0;
  for (std::size_t i = 0; i < bands.size(); ++i) {
    running += bands[i].count;
    const std::size_t point = bands.size() - 1 - i;
    chart.x[point] = bands[i].low;
    chart.series[0].values[point] = static_cast<double>(running);
  }
  return chart;
}

}  // namespace reports
