// Figures for the report grid at the sizes the largest reports reach: filling
// a million rows with AddItem, sorting them, fitting the columns to their
// texts, and exporting 100,000 rows (through libxlsxwriter and through the
// streamed writer).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "common/score_grid.h"
#include "grid/content_fit.h"
#include "grid/export.h"
#include "grid/report_grid.h"

namespace {

using Clock = std::chrono::steady_clock;
using bench::Filled;

}  // namespace

int main() {
  std::printf("%s\n", bench::MachineLine().c_str());

  constexpr int kRows = 1'000'000;
  double fill_seconds = 0;
  grid::ReportGrid big = Filled(kRows, &fill_seconds);
  std::printf("AddItem %d rows x %d cols: %.2f s, peak RSS %.0f MiB\n", kRows, big.Cols(),
              fill_seconds, bench::PeakRssMiB());

  auto start = Clock::now();
  big.Sort(8, false);
  std::printf("stable sort of %d rows on a numeric column (descending): %.2f s\n", kRows,
              bench::SecondsSince(start));
  start = Clock::now();
  big.Sort(3, true);
  std::printf("stable sort of %d rows on a text column (ascending): %.2f s\n", kRows,
              bench::SecondsSince(start));
  // Fitting the widths: the scores repeat (a few hundred distinct texts a
  // column), the ids and names are all distinct.
  for (int c = 5; c < big.Cols(); ++c) {
    big.Column(c).SetFormatString("0.00");
    big.SetColWidth(c, 38);
  }
  big.SetDisplayRowIndex(true);
  start = Clock::now();
  for (int c = 0; c < big.Cols(); ++c) grid::NeededColumnWidth(big, c);
  std::printf("NeededColumnWidth of each column in turn: %.2f s\n", bench::SecondsSince(start));
  start = Clock::now();
  grid::WidenToFit(big);
  std::printf("WidenToFit (all columns in one pass, then the rows), %d rows x %d cols: %.2f s\n",
              kRows, big.Cols(), bench::SecondsSince(start));
  start = Clock::now();
  big.AutoFit(4);
  std::printf("AutoFit of the name column (%d distinct texts): %.2f s\n", kRows,
              bench::SecondsSince(start));
  big = grid::ReportGrid();

  constexpr int kExportRows = 100'000;
  grid::ReportGrid medium = Filled(kExportRows, nullptr);
  medium.Column(8).SetFormatString("0.00");
  medium.Range(0, 1, 0, 20).SetFontBold(true);
  const std::string path = "/tmp/scorestat_bench_grid.xlsx";
  start = Clock::now();
  grid::Status status = grid::Status::Ok();
  {
    grid::ExcelBookWriter library(path, grid::SheetWriting::kLibrary);
    status = library.Add({"Sheet1", &medium});
    if (status) status = library.Close();
  }
  std::printf("export %d rows x %d cols to .xlsx through libxlsxwriter's cell table: %.2f s (%s)\n",
              kExportRows, medium.Cols(), bench::SecondsSince(start),
              status ? "ok" : status.message().c_str());
  start = Clock::now();
  status = grid::ExportToExcel(medium, path);
  std::printf("the same through ExportToExcel (the streamed writer): %.2f s (%s)\n",
              bench::SecondsSince(start), status ? "ok" : status.message().c_str());
  std::remove(path.c_str());
  std::printf("peak RSS at the end: %.0f MiB\n", bench::PeakRssMiB());
  return 0;
}
