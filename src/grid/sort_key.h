// The order the grid sorts a column in.
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

}  // namespace grid
