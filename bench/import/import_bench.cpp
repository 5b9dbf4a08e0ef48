// Import speed and memory: a generated exam of N students written to .xlsx,
// then imported (tables, derived columns, ranks) into a fresh database.
//
//   bench_import [--runs N] [students ...]    default: 10000 100000
//   bench_import [--runs N] --file exam.xls   an existing workbook (.xls or .xlsx)
//
// With --runs N each import is run N times and the medians are printed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "data/exam_generator.h"
#include "data/exam_library.h"
#include "data/import.h"
#include "data/score_database.h"
#include "data/xlsx_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Prints how long each stage of the import took, wall and CPU (the CPU
// figure holds up when other work shares the machine), and the peak memory
// by its end (which stage sets the peak).
class StageTimer final : public common::ProgressSink {
 public:
  void Report(long long, long long, std::string_view stage) override {
    if (stage == stage_) return;
    if (!stage_.empty())
      std::printf("    %-24s %6.2f s wall %6.2f s CPU  peak %5.0f MiB\n", stage_.c_str(),
                  bench::SecondsSince(since_), bench::CpuSeconds() - cpu_since_,
                  bench::PeakRssMiB());
    stage_ = std::string(stage);
    since_ = Clock::now();
    cpu_since_ = bench::CpuSeconds();
  }

 private:
  std::string stage_;
  Clock::time_point since_ = Clock::now();
  double cpu_since_ = bench::CpuSeconds();
};

struct Figures {
  double wall = 0, cpu = 0;
};

Figures ImportOnce(const std::string& workbook, const std::string& label) {
  // Unique per process: two benches at once must not share a database.
  const fs::path db =
      fs::temp_directory_path() / ("scorestat_bench_import_" + std::to_string(::getpid()) + ".db");
  fs::remove(db);
  data::AppState state;
  data::SetDatabasePath(state, db.string());
  StageTimer progress;
  const auto start = Clock::now();
  const double cpu_start = bench::CpuSeconds();
  data::ImportResult result = data::ImportExam(state, workbook, progress);
  const double seconds = bench::SecondsSince(start);
  const double cpu = bench::CpuSeconds() - cpu_start;
  std::printf("%-28s %8.2f s wall  %6.2f s CPU   peak RSS %5.0f MiB   %s\n", label.c_str(), seconds,
              cpu, bench::PeakRssMiB(), result.ok ? "ok" : result.message.c_str());
  fs::remove(db);
  fs::remove_all(data::LibraryFolder(db.string()));  // the exam library beside it
  return {seconds, cpu};
}

void Import(const std::string& workbook, const std::string& label, int runs) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    const Figures f = ImportOnce(workbook, label);
    wall.push_back(f.wall);
    cpu.push_back(f.cpu);
  }
  if (runs > 1)
    std::printf("%-28s %8.2f s wall  %6.2f s CPU   (median of %d)\n", label.c_str(),
                bench::Median(wall), bench::Median(cpu), runs);
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%s\n", bench::MachineLine().c_str());
  std::vector<std::string> args(argv + 1, argv + argc);
  int runs = 1;
  if (args.size() >= 2 && args[0] == "--runs") {
    runs = std::max(1, std::atoi(args[1].c_str()));
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() == 2 && args[0] == "--file") {
    Import(args[1], fs::path(args[1]).filename().string(), runs);
    return 0;
  }
  std::vector<size_t> sizes;
  for (const std::string& a : args) sizes.push_back(std::strtoul(a.c_str(), nullptr, 10));
  if (sizes.empty()) sizes = {10000, 100000};
  for (size_t n : sizes) {
    data::ExamOptions options;
    options.students = n;
    options.schools = n >= 100000 ? 30 : 3;
    const fs::path path =
        fs::temp_directory_path() / ("scorestat_bench_" + std::to_string(n) + ".xlsx");
    const auto start = Clock::now();
    data::WriteWorkbookXlsx(path.string(), data::GenerateExam(options));
    std::printf("generated %zu students × 9 subjects in %.2f s (%.1f MB)\n", n,
                bench::SecondsSince(start), fs::file_size(path) / 1e6);
    Import(path.string(), "import " + std::to_string(n) + " (.xlsx)", runs);
    fs::remove(path);
  }
  return 0;
}
