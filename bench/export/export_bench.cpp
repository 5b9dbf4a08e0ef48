// Writing a large report to .xlsx as the desktop's 输出到Excel does it
// (ExportToExcel) and, for comparison, through libxlsxwriter's cell table,
// the way that command wrote it before: a generated exam is imported, each
// report made once, then written both ways `runs` times.
//
//   bench_export [students] [runs]   defaults: 100000, 5
//
// Prints the median wall time, the process's CPU time over the same runs
// (both threads of the streamed writer) and the file's size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "common/progress.h"
#include "data/score_database.h"
#include "grid/export.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace {

namespace fs = std::filesystem;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Figures {
  double wall = 0;
  double cpu = 0;
};

Figures Measure(int runs, const std::function<grid::Status()>& write) {
  std::vector<double> walls, cpus;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = bench::CpuSeconds();
    if (const grid::Status status = write(); !status) {
      std::fprintf(stderr, "export failed: %s\n", status.message().c_str());
      std::exit(1);
    }
    walls.push_back(bench::SecondsSince(start));
    cpus.push_back(bench::CpuSeconds() - cpu);
  }
  return {bench::Median(walls), bench::Median(cpus)};
}

void TimeReport(const char* kind_name, data::AppState& state, const fs::path& dir, int runs) {
  const reports::ReportKind* kind = reports::FindReportKind(kind_name);
  if (kind == nullptr) return;
  output::Document doc;
  common::NullProgress quiet;
  reports::ReportRun run{state, quiet, output::Today()};
  const reports::ReportChoices fallbacks;
  reports::MakeReport(*kind, doc, run, fallbacks);
  const std::string path = (dir / (std::string(kind_name) + ".xlsx")).string();
  std::printf("%s (%s): %d rows × %d cols\n", kind_name, doc.title.c_str(), doc.grid.Rows(),
              doc.grid.Cols());
  const Figures library = Measure(runs, [&] {
    grid::ExcelBookWriter book(path, grid::SheetWriting::kLibrary);
    if (grid::Status added = book.Add({"Sheet1", &doc.grid}); !added) return added;
    return book.Close();
  });
  const auto library_size = fs::file_size(path);
  const Figures streamed = Measure(runs, [&] { return grid::ExportToExcel(doc.grid, path); });
  // report all's analysis sheets: written ahead on their own thread, then
  // only filled in by the book's. CPU time of this thread alone, without
  // the packing thread's deflating.
  std::vector<double> ahead_cpu, fill_cpu, direct_cpu;
  for (int i = 0; i < runs; ++i) {
    double cpu = ThreadCpuSeconds();
    const grid::PreparedSheet ahead(doc.grid);
    ahead_cpu.push_back(ThreadCpuSeconds() - cpu);
    for (const grid::PreparedSheet* prepared :
         {&ahead, static_cast<const grid::PreparedSheet*>(nullptr)}) {
      grid::ExcelBookWriter book(path, grid::SheetWriting::kStreamed);
      cpu = ThreadCpuSeconds();
      if (!book.Add({"Sheet1", &doc.grid, {}, prepared})) std::exit(1);
      (prepared ? fill_cpu : direct_cpu).push_back(ThreadCpuSeconds() - cpu);
      if (!book.Close()) std::exit(1);
    }
  }
  std::printf("  %-40s %7.3f s cpu, then %.3f s cpu to add it (%.3f s at once)\n",
              "sheet written ahead (PreparedSheet)", bench::Median(ahead_cpu),
              bench::Median(fill_cpu), bench::Median(direct_cpu));
  std::printf("  %-40s %7.3f s wall %7.3f s cpu %6.1f MB\n", "libxlsxwriter's cell table",
              library.wall, library.cpu, static_cast<double>(library_size) / 1e6);
  std::printf("  %-40s %7.3f s wall %7.3f s cpu %6.1f MB\n", "ExportToExcel (streamed)",
              streamed.wall, streamed.cpu, static_cast<double>(fs::file_size(path)) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  std::printf("%s\n", bench::MachineLine().c_str());
  const fs::path dir = bench::FreshFolder("scorestat_bench_export");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, bench::CountyExam(students), state)) return 1;
  data::LoadSubjectLines(state);
  std::printf("exam: %zu students, %d subjects; median of %d runs\n", students,
              state.subject_lines.Count(), runs);
  for (const char* kind : {"cj", "bzf"}) TimeReport(kind, state, dir, runs);
  std::printf("peak RSS at the end: %.0f MiB\n", bench::PeakRssMiB());
  fs::remove_all(dir);
  return 0;
}
