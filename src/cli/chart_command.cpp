// chart: computing one chart of the chart catalog and writing it as a
// picture or a PDF page; and the pictures `report all --charts` adds.
#include <iostream>

#include "cli/cli.h"
#include "cli/document_writer.h"
#include "cli/stderr_progress.h"
#include "data/score_database.h"
#include "reports/chart_catalog.h"
#ifdef SCORESTAT_HAVE_RENDER
#include "charts/chart_output.h"
#include "output/skip_step.h"
#include "reports/analysis_table.h"
#endif

namespace cli {
namespace {

void PrintChartHelp(std::ostream& out) {
  out << "用法: scorestat-cli [--db 数据库] chart 图表 [选项] -o 文件 [--size 宽x高]\n"
         "文件的扩展名决定格式: .png（--size，默认 1600x1000） .svg .pdf（一页，页面同报表）\n\n"
         "图表:\n";
  for (const reports::ChartKind& kind : reports::ChartCatalog()) {
    std::string line = kind.control_name;
    for (const reports::ReportOption& o : kind.options)
      line += std::string(" [--") + o.name + " " + o.values +
              (*o.fallback != '\0' ? std::string("，默认 ") + o.fallback : std::string()) + "]";
    out << "  " << line << ": " << kind.description << "\n";
  }
}

// "1600x1000" (or with ×, X); false for anything else.
bool ParseSize(const std::string& text, int& width, int& height) {
  std::size_t sep = text.find_first_of("xX*");
  std::size_t skip = 1;
  if (sep == std::string::npos && (sep = text.find("×")) != std::string::npos) skip = 2;
  if (sep == std::string::npos) return false;
  try {
    std::size_t used = 0;
    width = std::stoi(text.substr(0, sep), &used);
    if (used != sep) return false;
    const std::string rest = text.substr(sep + skip);
    height = std::stoi(rest, &used);
    return used == rest.size();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int Chart(Context& ctx) {
  if (ctx.args.empty() || ctx.args[0] == "--help" || ctx.args[0] == "-h") {
    PrintChartHelp(ctx.args.empty() ? ctx.err : ctx.out);
    return ctx.args.empty() ? 2 : 0;
  }
  reports::ReportChoices given;
  std::string out_path;
  if (!ParseChoices(ctx.args, given, out_path, ctx.err)) return 2;
  if (out_path.empty()) {
    ctx.err << "请用 -o 指定输出文件（.png、.svg 或 .pdf）。\n";
    return 2;
  }
  const reports::ChartKind* kind = reports::FindChartKind(ctx.args[0]);
  if (kind == nullptr) {
    ctx.err << "没有这种图表: " << ctx.args[0] << "\n\n";
    PrintChartHelp(ctx.err);
    return 2;
  }
  // --size belongs to the picture, not to the chart.
  reports::ReportChoices choices(kind->options);
  int width = 1600, height = 1000;
  for (const auto& [name, value] : given.values()) {
    if (name != "size") {
      choices.Add(name, value);
    } else if (!ParseSize(value, width, height)) {
      ctx.err << "--size 应写成 宽x高，如 1600x1000，不是“" << value << "”。\n";
      return 2;
    }
  }
  if (const std::string unknown = reports::UndeclaredOption(kind->options, choices);
      !unknown.empty()) {
    ctx.err << "图表 " << kind->control_name << " 没有选项 --" << unknown
            << "（见 chart --help）\n";
    return 2;
  }
#ifdef SCORESTAT_HAVE_RENDER
  data::LoadStartupSettings(ctx.state);
  StderrProgress progress(ctx.err);
  reports::ReportRun run{ctx.state, progress, output::Today()};
  const reports::ChartData chart = kind->make(run, choices);
  progress.Finish();
  charts::EnsureChartApplication();
  const grid::ReportGrid page = charts::ChartPage(chart, ctx.state.title_settings, run.today);
  if (grid::Status s = charts::WriteChart(chart, page, out_path, QSize(width, height)); !s) {
    ctx.err << s.message() << "\n";
    return 1;
  }
  ctx.err << chart.title << " → " << out_path << "\n";
  return 0;
#else
  ctx.err << "这个版本没有编译图表输出。\n";
  return 1;
#endif
}

std::vector<ChartSheet> SubjectChartSheets(Context& ctx) {
  std::vector<ChartSheet> sheets;
#ifdef SCORESTAT_HAVE_RENDER
  charts::EnsureChartApplication();
  common::NullProgress quiet;
  output::SkipOnError([&] { data::LoadSystemSettings(ctx.state); });
  const stats::ExamSnapshot exam = reports::ReadCurrentExam(ctx.state, quiet);
  for (const stats::ExamSubject& subject : exam.Subjects()) {
    reports::ScoreHistogramOptions histogram;
    histogram.measure = subject.name;
    sheets.push_back(
        {subject.name + "分数段分布图",
         charts::PngBytes(reports::ScoreHistogram(exam, ctx.state, histogram)).toStdString()});
    sheets.push_back(
        {subject.name + "箱线图",
         charts::PngBytes(reports::ClassBoxPlot(exam, ctx.state, subject.name)).toStdString()});
  }
#else
  (void)ctx;
#endif
  return sheets;
}

}  // namespace cli
