// Figures for undo on a million-row report: what one step of the edit
// journal holds and how long undo and redo take, beside what a copy of the
// whole grid would cost.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "common/bench_util.h"
#include "common/score_grid.h"
#include "grid/edit_journal.h"
#include "grid/report_grid.h"

namespace {

using Clock = std::chrono::steady_clock;

// Does `edit` as one step, then undoes and redoes it; prints the step's size
// and the three times.
void Step(grid::ReportGrid& g, const char* what, const std::function<void()>& edit) {
  grid::EditJournal journal;
  g.AttachJournal(&journal);
  auto start = Clock::now();
  edit();
  const double done = bench::SecondsSince(start);
  g.AttachJournal(nullptr);
  const double kib = static_cast<double>(journal.Bytes()) / 1024.0;
  start = Clock::now();
  grid::EditJournal redo = g.Revert(std::move(journal));
  const double undone = bench::SecondsSince(start);
  start = Clock::now();
  g.Revert(std::move(redo));
  const double redone = bench::SecondsSince(start);
  std::printf("%-44s step %10.1f KiB   do %.3f s  undo %.3f s  redo %.3f s\n", what, kib, done,
              undone, redone);
}

}  // namespace

int main() {
  std::printf("%s\n", bench::MachineLine().c_str());
  constexpr int kRows = 1'000'000;
  grid::ReportGrid g = bench::Filled(kRows, nullptr);
  std::printf("%d rows x %d cols, peak RSS %.0f MiB\n", kRows, g.Cols(), bench::PeakRssMiB());

  auto start = Clock::now();
  grid::ReportGrid copy = g;
  std::printf("for comparison, a copy of the whole grid: %.2f s, RSS now %.0f MiB\n",
              bench::SecondsSince(start), bench::CurrentRssMiB());
  copy = grid::ReportGrid();

  Step(g, "edit one cell", [&] { g.SetCellText(500'000, 7, "99"); });
  Step(g, "sort 1,000,000 rows on a score", [&] { g.Sort(8, false); });
  Step(g, "bold a whole column", [&] { g.Range(1, 6, kRows, 6).SetFontBold(true); });
  Step(g, "paste 1,000 rows x 4 cells", [&] {
    g.clipboard().SetText([] {
      std::string text;
      for (int r = 0; r < 1000; ++r) text += "1\t2\t3\t4\r\n";
      return text;
    }());
    g.Select({10, 5, 10, 5});
    g.Selection().PasteData();
  });
  Step(g, "insert 10 rows in the middle", [&] { g.InsertRow(400'000, 10); });
  Step(g, "delete 10 rows in the middle", [&] { g.DeleteRows(400'000, 10); });
  Step(g, "delete a column", [&] { g.DeleteCols(12, 1); });
  Step(g, "hide 1,000 rows", [&] {
    for (int r = 1; r <= 1000; ++r) g.SetRowHeight(r, 0);
  });
  std::printf("peak RSS at the end: %.0f MiB\n", bench::PeakRssMiB());
  return 0;
}
