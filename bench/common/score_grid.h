// A report grid shaped like a large score listing, for the grid benchmarks.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "grid/report_grid.h"

namespace bench {

// A row like a score listing: school, id, class, name, then 16 scores.
inline std::string ScoreRowText(int i) {
  std::string text = "第" + std::to_string(i % 7) + "中学\t" + std::to_string(20240000 + i) + "\t" +
                     std::to_string(i % 12 + 1) + "班\t学生" + std::to_string(i);
  unsigned seed = static_cast<unsigned>(i) * 2654435761u;
  for (int k = 0; k < 16; ++k) {
    seed = seed * 1103515245u + 12345u;
    text += "\t" + std::to_string((seed >> 8) % 1500 / 10.0).substr(0, 5);
  }
  return text;
}

// `rows` such rows after the header row, and the empty row a filled report
// ends with. Texts are made in batches outside the timed part, so that
// `seconds` (when given) is the grid's own cost of AddItem.
inline grid::ReportGrid Filled(int rows, double* seconds) {
  constexpr int kBatch = 10'000;
  grid::ReportGrid g(1, 21);
  g.SetAutoRedraw(false);
  double timed = 0;
  std::vector<std::string> batch;
  for (int first = 1; first <= rows; first += kBatch) {
    batch.clear();
    for (int i = first; i < first + kBatch && i <= rows; ++i)
      batch.push_back(std::to_string(i) + "\t" + ScoreRowText(i));
    auto start = std::chrono::steady_clock::now();
    for (const auto& text : batch) g.AddItem(text, false);
    timed += SecondsSince(start);
  }
  g.AddItem("", false);
  if (seconds) *seconds = timed;
  return g;
}

}  // namespace bench
