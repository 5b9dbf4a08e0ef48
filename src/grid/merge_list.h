// MergeList: the merged areas of one grid. They never overlap: adding an
// area first removes every area it meets. They are kept in the order of
// their first row, then first column, so that the areas meeting a range of
// rows are found by binary search rather than by reading them all (a slip
// report holds a few hundred thousand). Two lists are equal when they hold
// the same areas.
#pragma once

#include <optional>
#include <vector>

#include "grid/selection.h"

namespace grid {

class MergeList {
 public:
  MergeList() = default;
  // Takes areas that do not overlap, in any order; single cells are dropped.
  explicit MergeList(std::vector<CellRect> areas);

  const std::vector<CellRect>& Areas() const { return areas_; }
  // Removes the areas `area` meets, then keeps `area` unless it is one cell.
  void Add(const CellRect& area);
  void RemoveMeeting(const CellRect& area);
  std::optional<CellRect> At(int row, int col) const;
  // Moves each area's corners by `edit` (called on a copy), then drops the
  // areas left empty or single: for the shifts of row and column edits.
  template <typename Edit>
  void EditAll(Edit edit) {
    for (CellRect& area : areas_) edit(area);
    *this = MergeList(std::move(areas_));
  }

  bool operator==(const MergeList& other) const { return areas_ == other.areas_; }

 private:
  using Iterator = std::vector<CellRect>::const_iterator;
  // The first area that can meet rows from `first_row` on.
  Iterator FirstReaching(int first_row) const;

  std::vector<CellRect> areas_;
  // No area spans more than reach_ + 1 rows (an upper bound: removals leave
  // it), so one meeting row r starts at r - reach_ or later.
  int reach_ = 0;
};

}  // namespace grid
