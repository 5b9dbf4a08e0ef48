// The parent letters' trend on generated exams (default 10,000 students, 9
// subjects, 10 schools × 30 classes; the library holds `exams` imports of
// the same students, default 3): reading every student's trend, then the
// letters to PDF without and with it. Prints figures; asserts nothing.
//
//   bench_letters [students [exams]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "charts/chart_output.h"
#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "data/score_database.h"
#include "render/strip_layout.h"
#include "reports/parent_letter.h"
#include "reports/result_slips.h"
#include "stats/exam_history.h"

namespace fs = std::filesystem;

namespace {

void TimeTrends(const data::AppState& state) {
  common::NullProgress quiet;
  engine::Database db = engine::Database::Open(state.database_path);
  data::SubjectLines lines;
  const stats::ExamSnapshot exam = stats::ReadExamDatabase(db, lines, quiet);
  const std::vector<std::size_t> students = reports::SlipStudents(exam, "", "");
  const double before = bench::CurrentRssMiB();
  bench::ResetPeakRss();
  const auto start = std::chrono::steady_clock::now();
  const reports::LetterTrends trends(state.database_path, exam, students, data::LetterTrend::kAuto,
                                     quiet);
  std::printf(
      "trends: %zu students, %d rows a letter, read in %.2f s; peak %.0f MiB (%.0f MiB "
      "before)\n",
      students.size(), trends.Rows(), bench::SecondsSince(start), bench::PeakRssMiB(), before);
}

void TimeLetters(data::AppState& state, const fs::path& dir, data::LetterTrend trend) {
  common::NullProgress quiet;
  const double cpu = bench::CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  output::Document letters;
  reports::ParentLetters(letters, state, {.trend = trend}, quiet, output::Today());
  const double made = bench::SecondsSince(start);
  const fs::path pdf = dir / "letters.pdf";
  const grid::Status written = render::WriteReportPdf(letters.grid, letters.strips, pdf.string(),
                                                      {}, charts::PaintStripFigures);
  const double total = bench::SecondsSince(start);
  if (!written) {
    std::fprintf(stderr, "%s\n", written.message().c_str());
    return;
  }
  std::printf("letters %s: %zu pages, PDF %.1f MB; made %.2f s, to PDF %.2f s, %.2f s CPU\n",
              trend == data::LetterTrend::kOff ? "without trend" : "with trend",
              letters.strips.size(), static_cast<double>(fs::file_size(pdf)) / 1e6, made,
              total - made, bench::CpuSeconds() - cpu);
}

}  // namespace

int main(int argc, char** argv) {
  charts::EnsureChartApplication();
  data::ExamOptions options =
      bench::CountyExam(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000);
  const int exams = argc > 2 ? std::atoi(argv[2]) : 3;
  std::printf("%s\n", bench::MachineLine().c_str());
  const fs::path dir = bench::FreshFolder("scorestat_bench_letters");
  data::AppState state;
  for (int e = 0; e < exams; ++e) {
    options.seed = 2024 + static_cast<std::uint64_t>(e);
    if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  }
  std::printf("library: %d exams of %zu students, 9 subjects\n", exams, options.students);
  TimeTrends(state);
  TimeLetters(state, dir, data::LetterTrend::kOff);
  TimeLetters(state, dir, data::LetterTrend::kAuto);
  fs::remove_all(dir);
  return 0;
}
