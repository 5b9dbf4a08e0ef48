// Two workbooks compared cell by cell, with a message naming the first
// difference: sheet names and sizes, every value and note, merged areas.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "data/workbook.h"

namespace data {

inline std::vector<CellRange> SortedMerges(const Sheet& sheet) {
  std::vector<CellRange> merges = sheet.merges();
  std::sort(merges.begin(), merges.end(), [](const CellRange& a, const CellRange& b) {
    return std::tie(a.first_row, a.first_col) < std::tie(b.first_row, b.first_col);
  });
  return merges;
}

inline ::testing::AssertionResult SameSheets(const Workbook& a, const Workbook& b) {
  if (a.sheets().size() != b.sheets().size()) return ::testing::AssertionFailure() << "sheets";
  for (std::size_t i = 0; i < a.sheets().size(); ++i) {
    const Sheet& x = a.sheets()[i];
    const Sheet& y = b.sheets()[i];
    if (x.name() != y.name() || x.rows() != y.rows() || x.cols() != y.cols())
      return ::testing::AssertionFailure()
             << x.name() << " " << x.rows() << "x" << x.cols() << " vs " << y.name() << " "
             << y.rows() << "x" << y.cols();
    for (std::size_t r = 0; r < x.rows(); ++r)
      for (std::size_t c = 0; c < x.cols(); ++c)
        if (!(x.At(r, c) == y.At(r, c)))
          return ::testing::AssertionFailure() << x.name() << "!" << ColumnLetters(c) << r + 1;
    if (SortedMerges(x) != SortedMerges(y))
      return ::testing::AssertionFailure() << x.name() << ": merged areas differ";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace data
