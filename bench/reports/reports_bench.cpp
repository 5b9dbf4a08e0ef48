// How long each SQL-built report takes on a large exam: a generated exam of N
// students (9 subjects, 300 classes) is imported once, then every report is
// built into a fresh Document and timed, grid fill and layout included.
//
//   bench_reports [students] [fill_rows]   defaults: 100000, 1000000
//
// Last, ShowSourceInGrid alone on a plain table of fill_rows rows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "common/progress.h"
#include "data/exam_generator.h"
#include "data/score_database.h"
#include "engine/database.h"
#include "output/report_layout.h"
#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/data_info.h"
#include "reports/single_subject.h"
#include "reports/subject_count.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Time(const char* name, data::AppState& state,
          const std::function<void(output::Document&, data::AppState&)>& report) {
  output::Document doc;
  const auto start = Clock::now();
  // CPU time beside wall time: on a shared machine the wall time says more
  // about the neighbours than about the report.
  const double cpu = bench::CpuSeconds();
  report(doc, state);
  std::printf("  %-10s %7.3f s wall %7.3f s cpu   %7d rows × %3d cols   %s\n", name,
              bench::SecondsSince(start), bench::CpuSeconds() - cpu, doc.grid.Rows(),
              doc.grid.Cols(), doc.title.c_str());
}

// A table of `rows` rows (学校, 学号, 班级, 姓名 and nine scores) filled
// straight into the grid.
void TimeLargeFill(const std::filesystem::path& dir, std::size_t rows) {
  data::AppState state;
  data::SetDatabasePath(state, (dir / "fill.db").string());
  {
    engine::Database db = data::OpenScoreDatabase(state);
    std::vector<std::string> columns = {"学校", "学号", "班级", "姓名"};
    std::string create =
        "CREATE TABLE 大表 (学校 text (20),学号 DOUBLE,班级 text (20),姓名 text (20)";
    for (int s = 1; s <= 9; ++s) {
      columns.push_back("科目" + std::to_string(s));
      create += ",科目" + std::to_string(s) + " DOUBLE";
    }
    db.Execute(create + ")");
    std::size_t i = 0;
    db.InsertRows("大表", columns, [&](std::vector<engine::Value>& row) {
      if (i == rows) return false;
      row = {engine::Value::Text("第一中学"), engine::Value::Real(static_cast<double>(i)),
             engine::Value::Text("高一(" + std::to_string(i % 300 + 1) + ")班"),
             engine::Value::Text("学生")};
      for (int s = 0; s < 9; ++s)
        row.push_back(engine::Value::Real(static_cast<double>((i * 7 + s) % 151)));
      ++i;
      return true;
    });
  }
  state.report_title = "大表";
  Time("fill", state, [](auto& d, auto& s) {
    output::ShowSourceInGrid(d, s, "大表", output::FieldFormat::kTwoDecimals);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const std::size_t fill_rows = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
  std::printf("%s\n", bench::MachineLine().c_str());

  data::ExamOptions options = bench::CountyExam(students);
  const fs::path dir = bench::FreshFolder("scorestat_bench_reports");
  data::AppState state;
  auto start = Clock::now();
  if (!bench::ImportGeneratedExam(dir, options, state)) return 1;
  std::printf("exam: %zu students, 9 subjects, %d schools × %d classes (write and import %.1f s)\n",
              students, options.schools, options.classes_per_school, bench::SecondsSince(start));
  data::LoadSubjectLines(state);

  Time("cj", state, reports::ShowScoreTable);
  Time("jsb", state, reports::ShowTeacherTable);
  Time("sxb", state, reports::ShowSubjectLines);
  Time("tjtable", state, reports::ShowStatisticsTable);
  // The first statistics report after the import makes the stored copy of
  // 成绩表's columns; the next ones read it.
  Time("gbkm", state, [](auto& d, auto& s) { reports::ClassSubjectStats(d, s, 1); });
  Time("gbkm again", state, [](auto& d, auto& s) { reports::ClassSubjectStats(d, s, 1); });
  Time("gxkm", state, [](auto& d, auto& s) { reports::SchoolSubjectStats(d, s, 1); });
  Time("jskm", state, [](auto& d, auto& s) { reports::TeacherSubjectStats(d, s, 1); });
  Time("gdktj", state, reports::AllSubjectStats);
  Time("topn", state, reports::SubjectCountReport);
  Time("cjbxx", state, [](auto& d, auto& s) { reports::ExamOverview(d, s); });
  Time("cjbschool", state, reports::SchoolList);
  Time("cjbclass", state, reports::ClassList);
  std::printf("grid fill of a %zu-row table:\n", fill_rows);
  TimeLargeFill(dir, fill_rows);
  fs::remove_all(dir);
  return 0;
}
