// How long each chart takes from the database to a file on a large exam: a
// generated exam of N students (9 subjects, 10 schools × 30 classes) is
// imported once, then each chart kind is made as `scorestat-cli chart` makes
// it (settings and 统计表 read, the chart computed) and written as PNG
// (1600×1000), SVG and PDF; the median of five runs is printed for each,
// with the part spent reading and computing, and the peak memory.
//
//   bench_charts [students]   default 100000 students
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "charts/chart_output.h"
#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "common/progress.h"
#include "reports/chart_catalog.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr const char* kTrendClass = "第一中学/高一(1)班";

void Time(const reports::ChartKind& kind, const char* subject, const char* ext,
          data::AppState& state, const fs::path& dir) {
  std::vector<double> total, computing;
  common::NullProgress progress;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    reports::ReportRun r{state, progress, output::Today()};
    reports::ReportChoices choices(kind.options);
    // The trend follows a class through the library (here the one exam).
    if (std::string_view(kind.control_name) == "qst")
      choices.Add("class", kTrendClass);
    else
      choices.Add("subject", subject);
    const reports::ChartData chart = kind.make(r, choices);
    computing.push_back(bench::SecondsSince(start));
    const grid::ReportGrid page = charts::ChartPage(chart, state.title_settings, r.today);
    const std::string path = (dir / (std::string(kind.control_name) + "." + ext)).string();
    if (!charts::WriteChart(chart, page, path).ok()) std::printf("  %s: not written\n", ext);
    total.push_back(bench::SecondsSince(start));
  }
  std::printf("  %-6s %-8s %-4s %6.3f s database to file (%6.3f s reading and computing)\n",
              kind.control_name, subject, ext, bench::Median(total), bench::Median(computing));
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  std::printf("%s\n", bench::MachineLine().c_str());
  charts::EnsureChartApplication();
  data::ExamOptions options = bench::CountyExam(students);
  const fs::path dir = bench::FreshFolder("scorestat_bench_charts");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  std::printf("exam: %zu students, 9 subjects, %d schools × %d classes\n", students,
              options.schools, options.classes_per_school);
  for (const reports::ChartKind& kind : reports::ChartCatalog())
    for (const char* ext : {"png", "svg", "pdf"}) Time(kind, "语文", ext, state, dir);
  for (const reports::ChartKind& kind : reports::ChartCatalog())
    Time(kind, "全科总分", "png", state, dir);
  std::printf("  peak memory: %.0f MiB\n", bench::PeakRssMiB());
  fs::remove_all(dir);
  return 0;
}
