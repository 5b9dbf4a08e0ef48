#include "grid/merge_list.h"

#include <algorithm>
#include <tuple>

namespace grid {

namespace {

bool StartsBefore(const CellRect& a, const CellRect& b) {
  return std::tie(a.first_row, a.first_col) < std::tie(b.first_row, b.first_col);
}

}  // namespace

MergeList::MergeList(std::vector<CellRect> areas) : areas_(std::move(areas)) {
  std::erase_if(areas_, [](const CellRect& m) {
    return m.last_row < m.first_row || m.last_col < m.first_col || m.IsSingleCell();
  });
  std::sort(areas_.begin(), areas_.end(), StartsBefore);
  for (const CellRect& m : areas_) reach_ = std::max(reach_, m.last_row - m.first_row);
}

MergeList::Iterator MergeList::FirstReaching(int first_row) const {
  return std::partition_point(areas_.begin(), areas_.end(),
                              [&](const CellRect& m) { return m.first_row < first_row - reach_; });
}

void MergeList::RemoveMeeting(const CellRect& area) {
  auto begin = areas_.begin() + (FirstReaching(area.first_row) - areas_.cbegin());
  auto end = std::partition_point(begin, areas_.end(),
                                  [&](const CellRect& m) { return m.first_row <= area.last_row; });
  areas_.erase(std::remove_if(begin, end, [&](const CellRect& m) { return m.Intersects(area); }),
               end);
}

void MergeList::Add(const CellRect& area) {
  RemoveMeeting(area);
  if (area.IsSingleCell()) return;
  // Reports add their areas top to bottom, so this is nearly always the end.
  auto at = areas_.end();
  if (!areas_.empty() && StartsBefore(area, areas_.back()))
    at = std::upper_bound(areas_.begin(), areas_.end(), area, StartsBefore);
  areas_.insert(at, area);
  reach_ = std::max(reach_, area.last_row - area.first_row);
}

std::optional<CellRect> MergeList::At(int row, int col) const {
  for (auto m = FirstReaching(row); m != areas_.end() && m->first_row <= row; ++m)
    if (m->Contains(row, col)) return *m;
  return std::nullopt;
}

}  // namespace grid
