// Listings built by hand for the grid-side reports: row 0 headers, one row
// per student, and the empty row the fill leaves after the last record.
#pragma once

#include <string>
#include <vector>

#include "data/app_state.h"
#include "grid/report_grid.h"

namespace listing_test {

using Row = std::vector<std::string>;

inline grid::ReportGrid MakeListing(const Row& headers, const std::vector<Row>& rows) {
  grid::ReportGrid g(static_cast<int>(rows.size()) + 2, static_cast<int>(headers.size()) + 1);
  for (size_t c = 0; c < headers.size(); ++c) g.SetCellText(0, static_cast<int>(c) + 1, headers[c]);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      g.SetCellText(static_cast<int>(r) + 1, static_cast<int>(c) + 1, rows[r][c]);
  return g;
}

inline std::vector<std::string> Column(const grid::ReportGrid& g, int col) {
  std::vector<std::string> out;
  for (int r = 1; r < g.Rows() - 1; ++r) out.emplace_back(g.CellText(r, col));
  return out;
}

inline int HeaderCol(const grid::ReportGrid& g, const std::string& header, int nth = 1) {
  for (int c = 1; c < g.Cols(); ++c)
    if (g.CellText(0, c) == header && --nth == 0) return c;
  return -1;
}

// Subjects with full mark 100; `main` and `weights` per subject.
inline data::SubjectLines Lines(const std::vector<std::string>& names, int first_col,
                                const std::vector<int>& main, const std::vector<int>& weights) {
  data::SubjectLines lines;
  lines.Resize(static_cast<int>(names.size()));
  for (size_t i = 0; i < names.size(); ++i) {
    lines.SubjectName[i] = names[i];
    lines.FullMark[i] = 100;
    lines.MainFlag[i] = main[i];
    lines.TotalWeightPct[i] = weights[i];
  }
  lines.FirstSubjectCol = first_col;
  return lines;
}

}  // namespace listing_test
