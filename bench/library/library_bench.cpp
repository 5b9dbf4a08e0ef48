// The exam library at scale: two generated exams of N students (the same
// students, other scores) imported into one database, then the switch of
// the current exam both ways, 学生进退步表 and 班级对比表 against the other
// exam, and a student's history, each five times; medians are printed with
// the peak memory.
//
//   bench_library [students]   default 100000
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "data/exam_library.h"
#include "reports/class_comparison.h"
#include "reports/exam_comparison.h"
#include "stats/exam_history.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

void Time(const char* name, const std::function<std::string()>& work) {
  std::vector<double> wall, cpu;
  std::string what;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    const double cpu_start = bench::CpuSeconds();
    what = work();
    wall.push_back(bench::SecondsSince(start));
    cpu.push_back(bench::CpuSeconds() - cpu_start);
  }
  std::printf("  %-20s %7.3f s wall %7.3f s cpu (median of %d)  %s\n", name, bench::Median(wall),
              bench::Median(cpu), kRuns, what.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  std::printf("%s\n", bench::MachineLine().c_str());
  data::ExamOptions options = bench::CountyExam(students);
  const fs::path dir = bench::FreshFolder("scorestat_bench_library");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  // The same students sit a second exam: only the absences move the names,
  // so most of them pair.
  options.absent_rate = 0.02;
  const auto import_start = Clock::now();
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  std::printf("exam: 2 × %zu students, 9 subjects, %d schools × %d classes; second import %.3f s\n",
              students, options.schools, options.classes_per_school,
              bench::SecondsSince(import_start));
  common::NullProgress quiet;
  const output::Date day = output::Today();
  const data::ExamInfo first = data::FindExam(state.database_path, 1);

  Time("switch (both ways)", [&] {
    const auto start = Clock::now();
    data::SwitchExam(state, 1, quiet);
    const double one = bench::SecondsSince(start);
    data::SwitchExam(state, 2, quiet);
    char buf[64];
    std::snprintf(buf, sizeof buf, "to exam 1: %.3f s", one);
    return std::string(buf);
  });
  Time("jtb", [&] {
    output::Document doc;
    reports::ProgressTable(doc, state, first, false, quiet, day);
    return doc.title + " (" + doc.grid.ReportTitles().Item(1).text + ")";
  });
  Time("bjdb", [&] {
    output::Document doc;
    reports::ClassComparison(doc, state, first, "", quiet, day);
    return doc.title;
  });
  Time("bjdb --subject 语文", [&] {
    output::Document doc;
    reports::ClassComparison(doc, state, first, "语文", quiet, day);
    return doc.title;
  });
  Time("student history", [&] {
    try {
      return std::to_string(stats::StudentHistory(state, "2024000001", quiet).size()) + " exams";
    } catch (const data::LibraryError& e) {
      return std::string(e.what());
    }
  });
  std::printf("  peak memory: %.0f MiB\n", bench::PeakRssMiB());
  fs::remove_all(dir);
  return 0;
}
