// Running the analysis reports on the hand-worked exam of
// tests/stats/analysis_exam.h and reading their grids back.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../stats/analysis_exam.h"
#include "output/document.h"

namespace analysis_test {

using Cells = std::vector<std::string>;

// Cells of `row` from column 1 on.
inline Cells RowOf(const grid::ReportGrid& g, int row) {
  Cells out;
  for (int c = 1; c < g.Cols(); ++c) out.emplace_back(g.CellText(row, c));
  return out;
}

// The data rows between the heading row and the trailing empty row.
inline int DataRows(const grid::ReportGrid& g) {
  return g.Rows() - 2;
}

// A row whose figures are compared as numbers where `expected` holds a
// number: the reports keep full precision and leave the rounding to the
// display, so the last of 15 digits may differ from a hand calculation.
inline void ExpectRow(const grid::ReportGrid& g, int row, const Cells& expected) {
  const Cells actual = RowOf(g, row);
  ASSERT_EQ(actual.size(), expected.size()) << "row " << row;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    char* end = nullptr;
    const double want = std::strtod(expected[i].c_str(), &end);
    if (!expected[i].empty() && *end == '\0' && !actual[i].empty())
      EXPECT_NEAR(std::strtod(actual[i].c_str(), nullptr), want, 1e-9)
          << "row " << row << " column " << i + 1;
    else
      EXPECT_EQ(actual[i], expected[i]) << "row " << row << " column " << i + 1;
  }
}

// The hand-worked exam with two holes: nobody in 二中 sat 语文, and nobody at
// all sat 美术 (out of 100, lines 85 / 75 / 60, weight 100).
inline ExamRows WithHoles() {
  ExamRows rows;
  rows.scores[0].push_back("美术");
  for (std::size_t r = 1; r < rows.scores.size(); ++r) {
    rows.scores[r].push_back("");
    if (rows.scores[r][0] == "二中") rows.scores[r][4] = "";
  }
  const char* art[] = {"美术", "100", "85", "75", "60", "0", "100"};
  for (std::size_t r = 0; r < rows.lines.size(); ++r) rows.lines[r].push_back(art[r]);
  rows.teachers[0].push_back("美术");
  return rows;
}

}  // namespace analysis_test
