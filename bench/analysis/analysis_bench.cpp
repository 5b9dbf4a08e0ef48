// How long each analysis report takes on a large exam: a generated exam of N
// students (9 subjects, 10 schools × 30 classes) is imported once, then each
// report is built five times into a fresh Document, reading 统计表, computing
// and laying the grid out; the median is printed, with the snapshot read alone
// and the peak memory.
//
//   bench_analysis [students [kind]]   default 100000 students, every kind
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
#include "common/progress.h"
#include "data/score_database.h"
#include "reports/above_average.h"
#include "reports/grade_levels.h"
#include "reports/near_line.h"
#include "reports/paper_quality.h"
#include "reports/rank_bands.h"
#include "reports/score_bands.h"
#include "reports/standard_scores.h"
#include "stats/exam_snapshot.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Report = std::function<void(output::Document&, data::AppState&)>;

constexpr int kRuns = 5;
std::string only;  // the one kind to time, for profiling

void Time(const char* name, data::AppState& state, const Report& report) {
  if (!only.empty() && only != name) return;
  std::vector<double> wall, cpu;
  output::Document last;
  for (int run = 0; run < kRuns; ++run) {
    output::Document doc;
    const auto start = Clock::now();
    const double cpu_start = bench::CpuSeconds();
    report(doc, state);
    wall.push_back(bench::SecondsSince(start));
    cpu.push_back(bench::CpuSeconds() - cpu_start);
    if (run == kRuns - 1) last = std::move(doc);
  }
  std::printf("  %-6s %7.3f s wall %7.3f s cpu (median of %d)  %7d rows × %3d cols  %s\n", name,
              bench::Median(wall), bench::Median(cpu), kRuns, last.grid.Rows(), last.grid.Cols(),
              last.title.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  if (argc > 2) only = argv[2];
  std::printf("%s\n", bench::MachineLine().c_str());
  data::ExamOptions options = bench::CountyExam(students);
  const fs::path dir = bench::FreshFolder("scorestat_bench_analysis");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  common::NullProgress progress;
  std::printf("exam: %zu students, 9 subjects, %d schools × %d classes\n", students,
              options.schools, options.classes_per_school);
  const output::Date day = output::Today();

  Time("read", state, [&](output::Document&, data::AppState& s) {
    engine::Database db = data::OpenScoreDatabase(s);
    data::LoadSubjectLines(db, s.subject_lines);
    stats::ExamSnapshot::Read(db, s.subject_lines, progress);
  });
  {
    // What a snapshot holds while a report uses it.
    const double before = bench::CurrentRssMiB();
    engine::Database db = data::OpenScoreDatabase(state);
    const stats::ExamSnapshot exam = stats::ExamSnapshot::Read(db, state.subject_lines, progress);
    std::printf("  snapshot of %zu students: +%.0f MiB resident\n", exam.StudentCount(),
                bench::CurrentRssMiB() - before);
  }
  Time("yfyd", state, [&](auto& d, auto& s) { reports::ScoreBandReport(d, s, {}, progress, day); });
  Time("mcfb", state, [&](auto& d, auto& s) { reports::RankBandReport(d, s, {}, progress, day); });
  Time("ljs", state, [&](auto& d, auto& s) {
    reports::NearLineReport(d, s, {"语文", "及格", 0, 5}, progress, day);
  });
  Time("ljs N", state, [&](auto& d, auto& s) {
    reports::NearLineReport(d, s, {"", "及格", 1000, 200}, progress, day);
  });
  Time("cjl", state,
       [&](auto& d, auto& s) { reports::AboveAverageReport(d, s, {"语文"}, progress, day); });
  Time("bzf", state, [&](auto& d, auto& s) { reports::StandardScoreReport(d, s, progress, day); });
  Time("sjzl", state, [&](auto& d, auto& s) { reports::PaperQualityReport(d, s, progress, day); });
  Time("djpj", state, [&](auto& d, auto& s) { reports::GradeListReport(d, s, {}, progress, day); });
  Time("djtj", state, [&](auto& d, auto& s) { reports::GradeCountReport(d, s, progress, day); });
  std::printf("  peak memory: %.0f MiB\n", bench::PeakRssMiB());
  fs::remove_all(dir);
  return 0;
}
