// The order the grid sorts a column in, shared with views that sort a
// column themselves.
#pragma once

#include <string_view>

namespace grid {

struct SortKey {
  enum Kind { kNumber = 0, kText = 1, kEmpty = 2 };
  Kind kind = kEmpty;
  double number = 0;
  std::string_view text;  // borrowed from the cell
  static SortKey Of(std::string_view text);
};

// Ascending order of two keys: numbers by value before texts by code point
// before empty cells. Returns <0, 0 or >0.
int CompareSortKeys(const SortKey& a, const SortKey& b);

// Whether `a` goes before `b`: descending reverses CompareSortKeys except
// that empty cells stay last.
bool SortsBefore(const SortKey& a, const SortKey& b, bool ascending);

}  // namespace grid
