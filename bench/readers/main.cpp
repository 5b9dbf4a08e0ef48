// Figures for the workbook readers: write a generated examination, read it
// back, report time and peak memory.
//
//   bench_readers [--students N] [--xls-students N] [--keep DIR]
//
// --xls-students 0 skips the .xls run, which needs /usr/bin/python3 with
// python3-xlwt to write the file.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/bench_util.h"
#include "data/exam_generator.h"
#include "data/workbook.h"
#include "data/xlsx_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

data::ExamOptions Exam(std::size_t students) {
  data::ExamOptions options;
  options.students = students;
  options.schools = static_cast<int>(std::max<std::size_t>(3, students / 10000));
  options.classes_per_school = 20;
  return options;
}

void ReadAndReport(const std::string& label, const fs::path& file, std::size_t students) {
  bench::ResetPeakRss();
  double before = bench::CurrentRssMiB();
  auto start = Clock::now();
  data::Workbook book = data::ReadWorkbook(file.string());
  double seconds = bench::SecondsSince(start);
  const data::Sheet& scores = *book.Find("Sheet1");
  std::printf("%-5s read  %8zu x %2zu  %7.2f s  %6.0f rows/ms  file %6.1f MiB  peak +%6.1f MiB\n",
              label.c_str(), scores.rows(), scores.cols(), seconds,
              static_cast<double>(students) / seconds / 1000.0,
              static_cast<double>(fs::file_size(file)) / (1 << 20), bench::PeakRssMiB() - before);
}

void XlsxRun(const fs::path& dir, std::size_t students) {
  auto start = Clock::now();
  data::Workbook book = data::GenerateExam(Exam(students));
  double generated = bench::SecondsSince(start);
  fs::path file = dir / ("exam_" + std::to_string(students) + ".xlsx");
  start = Clock::now();
  bench::ResetPeakRss();
  double before = bench::CurrentRssMiB();
  data::WriteWorkbookXlsx(file.string(), book);
  std::printf("xlsx  generate %zu students %.2f s; write %.2f s, peak +%.1f MiB\n", students,
              generated, bench::SecondsSince(start), bench::PeakRssMiB() - before);
  book = {};
  ReadAndReport("xlsx", file, students);
}

void XlsRun(const fs::path& dir, std::size_t students, const fs::path& tools) {
  data::Workbook book = data::GenerateExam(Exam(students));
  std::string args;
  for (const data::Sheet& sheet : book.sheets()) {
    fs::path tsv = dir / (sheet.name() + ".tsv");
    std::ofstream out(tsv);
    for (std::size_t r = 0; r < sheet.rows(); ++r) {
      for (std::size_t c = 0; c < sheet.cols(); ++c) {
        data::CellValue v = sheet.At(r, c);
        if (c) out << '\t';
        if (v.kind == data::CellKind::kNumber) out << v.number;
        if (v.kind == data::CellKind::kText) out << v.text;
      }
      out << '\n';
    }
    args += " '" + sheet.name() + "=" + tsv.string() + "'";
  }
  fs::path file = dir / ("exam_" + std::to_string(students) + ".xls");
  std::string command = "/usr/bin/python3 '" + (tools / "tsv_to_xls.py").string() + "' '" +
                        file.string() + "'" + args;
  if (std::system(command.c_str()) != 0) {
    std::printf("xls   skipped: could not run %s\n", command.c_str());
    return;
  }
  ReadAndReport("xls", file, students);
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t students = 100000;
  std::size_t xls_students = 60000;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string flag = argv[i];
    if (flag == "--students") students = std::stoul(argv[i + 1]);
    if (flag == "--xls-students") xls_students = std::stoul(argv[i + 1]);
    if (flag == "--keep") keep = argv[i + 1];
  }
  fs::path dir = keep.empty() ? fs::temp_directory_path() /
                                    ("scorestat_bench_readers_" + std::to_string(::getpid()))
                              : fs::path(keep);
  fs::create_directories(dir);
  fs::path tools = fs::path(__FILE__).parent_path().parent_path().parent_path() / "tools";
  std::printf("%s\n", bench::MachineLine().c_str());
  try {
    XlsxRun(dir, students);
    if (xls_students > 0) XlsRun(dir, std::min<std::size_t>(xls_students, 65535), tools);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  if (keep.empty()) fs::remove_all(dir);
  return 0;
}
