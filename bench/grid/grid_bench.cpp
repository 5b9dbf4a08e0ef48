// Figures for the report grid at the sizes the largest reports reach: filling
// a million rows with AddItem, sorting them, fitting the columns to their
// texts, and exporting 100,000 rows.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "grid/content_fit.h"
#include "grid/export.h"
#include "grid/report_grid.h"

namespace {

using Clock = std::chrono::steady_clock;

// A row like a score listing: school, id, class, name, then 16 scores.
std::string RowText(int i) {
  std::string text = "第" + std::to_string(i % 7) + "中学\t" + std::to_string(20240000 + i) + "\t" +
                     std::to_string(i % 12 + 1) + "班\t学生" + std::to_string(i);
  unsigned seed = static_cast<unsigned>(i) * 2654435761u;
  for (int k = 0; k < 16; ++k) {
    seed = seed * 1103515245u + 12345u;
    text += "\t" + std::to_string((seed >> 8) % 1500 / 10.0).substr(0, 5);
  }
  return text;
}

// Texts are made in batches outside the timed part, so that the figure is
// the grid's own cost.
grid::ReportGrid Filled(int rows, double* seconds) {
  constexpr int kBatch = 10'000;
  grid::ReportGrid g(1, 21);
  g.SetAutoRedraw(false);
  double timed = 0;
  std::vector<std::string> batch;
  for (int first = 1; first <= rows; first += kBatch) {
    batch.clear();
    for (int i = first; i < first + kBatch && i <= rows; ++i)
      batch.push_back(std::to_string(i) + "\t" + RowText(i));
    auto start = Clock::now();
    for (const auto& text : batch) g.AddItem(text, false);
    timed += bench::SecondsSince(start);
  }
  g.AddItem("", false);
  if (seconds) *seconds = timed;
  return g;
}

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
  grid::Status status = grid::ExportToExcel(medium, path);
  std::printf("export %d rows x %d cols to .xlsx: %.2f s (%s)\n", kExportRows, medium.Cols(),
              bench::SecondsSince(start), status ? "ok" : status.message().c_str());
  std::remove(path.c_str());
  std::printf("peak RSS at the end: %.0f MiB\n", bench::PeakRssMiB());
  return 0;
}
