// Figures for the workbook readers: write a generated examination, read it
// back, report time and peak memory.
//
//   bench_readers [--students N] [--xls-students N] [--keep DIR]
//
// --xls-students 0 skips the .xls run, which needs /usr/bin/python3 with
// python3-xlwt to write the file.
#include <unistd.h>
#include <zip.h>

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

// Times the reader on `file`: the best of `repeats` runs (on a shared
// machine the best run is the one least disturbed), peak memory of the first.
void ReadAndReport(const std::string& label, const fs::path& file, std::size_t students,
                   int repeats = 1) {
  bench::ResetPeakRss();
  double before = bench::CurrentRssMiB();
  double seconds = 1e30, peak = 0;
  std::size_t rows = 0, cols = 0;
  for (int i = 0; i < repeats; ++i) {
    auto start = Clock::now();
    data::Workbook book = data::ReadWorkbook(file.string());
    seconds = std::min(seconds, bench::SecondsSince(start));
    if (i == 0) peak = bench::PeakRssMiB() - before;
    rows = book.Find("Sheet1")->rows();
    cols = book.Find("Sheet1")->cols();
  }
  std::printf("%-5s read  %8zu x %2zu  %7.3f s  %6.0f rows/ms  file %6.1f MiB  peak +%6.1f MiB\n",
              label.c_str(), rows, cols, seconds, static_cast<double>(students) / seconds / 1000.0,
              static_cast<double>(fs::file_size(file)) / (1 << 20), peak);
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

// An .ods of the workbook: content.xml written as LibreOffice writes it,
// numbers as floats, texts as strings, each row closed by repeated empty cells.
void WriteOds(const fs::path& file, const data::Workbook& book) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
      "<office:body><office:spreadsheet>";
  for (const data::Sheet& sheet : book.sheets()) {
    xml += "<table:table table:name=\"" + sheet.name() + "\">";
    for (std::size_t r = 0; r < sheet.rows(); ++r) {
      xml += "<table:table-row>";
      for (std::size_t c = 0; c < sheet.cols(); ++c) {
        const data::CellValue v = sheet.At(r, c);
        if (v.kind == data::CellKind::kNumber) {
          char number[32];
          std::snprintf(number, sizeof number, "%.15g", v.number);
          xml += std::string("<table:table-cell office:value-type=\"float\" office:value=\"") +
                 number + "\"><text:p>" + number + "</text:p></table:table-cell>";
        } else if (v.kind == data::CellKind::kText) {
          xml += "<table:table-cell office:value-type=\"string\"><text:p>" + std::string(v.text) +
                 "</text:p></table:table-cell>";
        } else {
          xml += "<table:table-cell/>";
        }
      }
      xml += "<table:table-cell table:number-columns-repeated=\"16000\"/></table:table-row>";
    }
    xml += "</table:table>";
  }
  xml += "</office:spreadsheet></office:body></office:document-content>";
  int error = 0;
  zip_t* zip = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  static const char kMime[] = "application/vnd.oasis.opendocument.spreadsheet";
  zip_file_add(zip, "mimetype", zip_source_buffer(zip, kMime, sizeof kMime - 1, 0), 0);
  zip_file_add(zip, "content.xml", zip_source_buffer(zip, xml.data(), xml.size(), 0), 0);
  zip_close(zip);
}

void OdsRun(const fs::path& dir, std::size_t students) {
  fs::path file = dir / ("exam_" + std::to_string(students) + ".ods");
  {
    data::Workbook book = data::GenerateExam(Exam(students));
    auto start = Clock::now();
    WriteOds(file, book);
    std::printf("ods   write %.2f s\n", bench::SecondsSince(start));
  }
  ReadAndReport("ods", file, students);
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
  ReadAndReport("xls", file, students, 5);
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
    OdsRun(dir, students);
    if (xls_students > 0) XlsRun(dir, std::min<std::size_t>(xls_students, 65535), tools);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  if (keep.empty()) fs::remove_all(dir);
  return 0;
}
