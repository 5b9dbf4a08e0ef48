#include "reports/chart_catalog.h"

#include "data/score_database.h"
#include "output/skip_step.h"
#include "reports/analysis_table.h"
#include "reports/score_tracking.h"

namespace reports {
namespace {

// The exam and the settings a chart reads, both afresh.
stats::ExamSnapshot ReadExam(ReportRun& run) {
  output::SkipOnError([&] { data::LoadSystemSettings(run.state); });
  return ReadCurrentExam(run.state, run.progress);
}

ChartData Histogram(ReportRun& run, const ReportChoices& choices) {
  ScoreHistogramOptions o;
  o.measure = choices.Get("subject");
  if (!choices.Get("step").empty()) o.step = WholeNumberChoice(choices, "step");
  if (o.step < 0) throw ReportError("分数段的宽度应是不小于 1 的整数。");
  // A bare --by-school means yes.
  o.by_school = choices.Given("by-school") && choices.Get("by-school") != "否";
  return ScoreHistogram(ReadExam(run), run.state, o);
}

ChartData BoxPlot(ReportRun& run, const ReportChoices& choices) {
  return ClassBoxPlot(ReadExam(run), run.state, choices.Get("subject"));
}

ChartData Comparison(ReportRun& run, const ReportChoices& choices) {
  return ClassComparison(ReadExam(run), run.state,
                         {choices.Get("subject"), choices.Get("measure")});
}

ChartData Curve(ReportRun& run, const ReportChoices& choices) {
  return CumulativeCurve(ReadExam(run), run.state, choices.Get("subject"),
                         WholeNumberChoice(choices, "step"), choices.Get("school"));
}

ChartData Trend(ReportRun& run, const ReportChoices& choices) {
  const TrackedOne one = ReadTrackedOne(choices);
  if (!one.student.empty())
    return StudentTrend(TrackedStudent(run.state, one.student, run.progress), one.student);
  return ClassTrend(TrackedClass(run.state, one.school, one.class_name, run.progress), one.school,
                    one.class_name);
}

constexpr ReportOption kHistogramOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"},
    {"step", "N", "", false, "每段分数（空为设置中的段宽）"},
    {"by-school", "否|是", "否", false, "各校分列"},
};

constexpr ReportOption kBoxPlotOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"},
};

constexpr ReportOption kComparisonOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"},
    {"measure", "平均分|优秀率|优良率|及格率|综合分", "平均分", false, "比较"},
};

constexpr ReportOption kCurveOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"},
    {"step", "N", "1", false, "每段分数"},
    {"school", "学校", "", false, "学校（空为全部）"},
};

const ChartKind kCharts[] = {
    {"fsd", "分数段分布图",
     "分数段分布图：各分数段人数的直方图（分段同单科统计，段宽默认取设置的单科段/总分段），"
     "科目画出优秀、优良、及格线；--by-school 各校分列",
     kHistogramOptions, Histogram},
    {"xxt", "各班箱线图",
     "各班箱线图：每班最低分、下四分位数、中位数、上四分位数、最高分（四分位数按线性插值，"
     "同 QUARTILE.INC），按中位数从高到低排列，横线为年级平均分",
     kBoxPlotOptions, BoxPlot},
    {"bjzt", "各班对比图",
     "各班对比图：每班一根柱（按学校分组），横线为年级的值；比率和综合分的算法同单科统计",
     kComparisonOptions, Comparison},
    {"yfydt", "一分一段曲线", "一分一段曲线：各分数及以上的累计人数（分段同一分一段表）",
     kCurveOptions, Curve},
    {"qst", "成绩趋势图",
     "成绩趋势图：考试库中每次考试一个点（按日期）；--student 学号：全科排名（纵轴倒置，"
     "越高越好）；--class 学校/班级：全科总分平均分与年级平均分",
     kTrackingOptions, Trend},
};

}  // namespace

std::span<const ChartKind> ChartCatalog() {
  return kCharts;
}

const ChartKind* FindChartKind(std::string_view control_name) {
  for (const ChartKind& kind : kCharts)
    if (control_name == kind.control_name) return &kind;
  return nullptr;
}

}  // namespace reports
