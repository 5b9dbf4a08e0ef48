// What goes home, on a generated exam (default 100,000 students, 9
// subjects, 40 schools × 50 classes): every student's result slip to one
// PDF, and the pack of every class (slips, letters, statistics, student
// list). Prints figures; asserts nothing.
//
//   bench_family [students [slips|pack]]   default 100000 students, both
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "charts/chart_output.h"
#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "render/print.h"
#include "render/strip_layout.h"
#include "reports/class_pack.h"
#include "reports/result_slips.h"

namespace fs = std::filesystem;

namespace {

// Files and bytes under `dir`.
std::pair<int, double> FilesUnder(const fs::path& dir) {
  int files = 0;
  double bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    bytes += static_cast<double>(entry.file_size());
  }
  return {files, bytes};
}

void TimeSlips(data::AppState& state, const fs::path& dir) {
  common::NullProgress progress;
  bench::ResetPeakRss();
  const double cpu = bench::CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  output::Document slips;
  reports::ResultSlips(slips, state, {.average = true, .level = true}, progress, output::Today());
  const double made = bench::SecondsSince(start);
  const fs::path pdf = dir / "slips.pdf";
  const grid::Status written = render::WriteReportPdf(slips.grid, slips.strips, pdf.string());
  const double total = bench::SecondsSince(start);
  if (!written) {
    std::fprintf(stderr, "%s\n", written.message().c_str());
    return;
  }
  std::printf(
      "slips: %zu strips, %zu pages, PDF %.1f MB; made %.2f s, to PDF %.2f s, "
      "total %.2f s (target ≤ 20 s); peak %.0f MiB\n",
      slips.strips.size(), render::LayOutStrips(slips.grid, slips.strips).size(),
      static_cast<double>(fs::file_size(pdf)) / 1e6, made, total - made, total,
      bench::PeakRssMiB());
  std::printf("slips: %.2f s CPU\n", bench::CpuSeconds() - cpu);
}

void TimePack(data::AppState& state, const fs::path& dir) {
  common::NullProgress progress;
  const double cpu = bench::CpuSeconds();
  bench::ResetPeakRss();
  const auto start = std::chrono::steady_clock::now();
  const reports::PackResult pack = reports::WriteClassPacks(
      state, (dir / "pack").string(), charts::WritePackPdfs, progress, output::Today());
  const double seconds = bench::SecondsSince(start);
  const auto [files, bytes] = FilesUnder(dir / "pack");
  std::printf("pack: %d classes, %d files, %.1f MB; %.2f s (target ≤ 60 s); peak %.0f MiB\n",
              pack.classes, files, bytes / 1e6, seconds, bench::PeakRssMiB());
  std::printf("pack: %.2f s CPU\n", bench::CpuSeconds() - cpu);
}

}  // namespace

int main(int argc, char** argv) {
  charts::EnsureChartApplication();
  data::ExamOptions options;
  options.students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const std::string only = argc > 2 ? argv[2] : "";
  options.schools = 40;
  options.classes_per_school = 50;
  std::printf("%s\n", bench::MachineLine().c_str());
  const fs::path dir = fs::temp_directory_path() / "scorestat_bench_family";
  fs::remove_all(dir);
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  std::printf("exam: %zu students, 9 subjects, %d schools × %d classes\n", options.students,
              options.schools, options.classes_per_school);
  if (only != "pack") TimeSlips(state, dir);
  if (only != "slips") TimePack(state, dir);
  fs::remove_all(dir);
  return 0;
}
