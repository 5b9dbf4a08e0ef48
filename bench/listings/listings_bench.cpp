// Figures for the grid-built reports on a large exam: the two ranked
// listings, the comprehensive statistics and a student list.
//
// bench_listings [students]   (default 100000)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "data/exam_generator.h"
#include "data/score_database.h"
#include "reports/comprehensive_stats.h"
#include "reports/listing_scores.h"
#include "reports/student_list.h"

namespace {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return bench::SecondsSince(start);
}

// The row count is read after the work has run.
void Print(const char* what, double seconds, const char* target, const std::function<int()>& rows) {
  std::printf("%-34s %8.3f s   (target %s; %d grid rows)\n", what, seconds, target, rows());
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::stoul(argv[1]) : 100000;
  std::printf("%s\nstudents: %zu, 9 subjects\n\n", bench::MachineLine().c_str(), students);

  const auto dir = std::filesystem::temp_directory_path() /
                   ("scorestat_bench_listings_" + std::to_string(::getpid()));
  data::AppState state;
  data::ExamOptions exam;
  exam.students = students;
  exam.schools = 10;
  exam.classes_per_school = 20;
  if (!bench::ImportGeneratedExam(dir, exam, state)) return 1;
  common::NullProgress quiet;

  int rows = 0;
  Print("zfdmbm (fill, totals, ranks, layout)",
        Seconds([&] { rows = reports::TotalRankListing(state, quiet).grid.Rows(); }), "< 2 s",
        [&] { return rows; });
  Print("czzpm", Seconds([&] { rows = reports::MainTotalRankListing(state, quiet).grid.Rows(); }),
        "< 2 s", [&] { return rows; });

  reports::ComprehensiveOptions options = reports::OpenComprehensiveDialog(state);
  options.check1 = options.check2 = options.check3 = options.check4 = true;
  options.range = reports::StatRange::kClass;
  Print("qkjhtj 全科, 各班, all items",
        Seconds([&] { rows = reports::RunComprehensive(options, state).value().grid.Rows(); }),
        "< 1 s", [&] { return rows; });

  reports::StudentListOptions list = reports::OpenStudentListDialog(state);
  reports::ChoosePreset(list, 1);
  Print("mingdan 全科合格学生", Seconds([&] {
          auto result = reports::RunStudentList(list, state);
          rows = result.ok() ? result.value().grid.Rows() : 0;
        }),
        "< 1 s", [&] { return rows; });
  list.tab = 1;
  list.column1 = "语文";
  list.value1 = "60";
  Print("mingdan 语文>60", Seconds([&] {
          auto result = reports::RunStudentList(list, state);
          rows = result.ok() ? result.value().grid.Rows() : 0;
        }),
        "< 1 s", [&] { return rows; });

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
