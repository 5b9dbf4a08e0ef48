#include "grid/merge_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

namespace grid {
namespace {

// The rule as first written, reading every area: what the indexed list must
// still do.
std::vector<CellRect> AddByScanning(std::vector<CellRect> areas, const CellRect& area) {
  std::erase_if(areas, [&](const CellRect& m) { return m.Intersects(area); });
  if (!area.IsSingleCell()) areas.push_back(area);
  std::sort(areas.begin(), areas.end(), [](const CellRect& a, const CellRect& b) {
    return std::tie(a.first_row, a.first_col) < std::tie(b.first_row, b.first_col);
  });
  return areas;
}

// A tall area far up the list, then many short ones below it: the ones that
// meet a new area are not all near it in the order.
TEST(MergeList, AddReplacesExactlyTheAreasItMeets) {
  const std::vector<CellRect> start = {
      {0, 0, 400, 0},  // a column merged down most of the report
      {5, 1, 6, 3},   {10, 1, 11, 3}, {300, 1, 301, 3}, {302, 2, 302, 3}, {500, 0, 500, 4},
  };
  struct Case {
    const char* why;
    CellRect added;
    std::vector<CellRect> expected;
  };
  const std::vector<Case> cases = {
      {"meets the tall area's last row only",
       {400, 0, 401, 1},
       {{5, 1, 6, 3},
        {10, 1, 11, 3},
        {300, 1, 301, 3},
        {302, 2, 302, 3},
        {400, 0, 401, 1},
        {500, 0, 500, 4}}},
      {"next to areas on every side, meeting none",
       {7, 1, 9, 3},
       {{0, 0, 400, 0},
        {5, 1, 6, 3},
        {7, 1, 9, 3},
        {10, 1, 11, 3},
        {300, 1, 301, 3},
        {302, 2, 302, 3},
        {500, 0, 500, 4}}},
      {"across two areas by their corners",
       {301, 3, 302, 4},
       {{0, 0, 400, 0}, {5, 1, 6, 3}, {10, 1, 11, 3}, {301, 3, 302, 4}, {500, 0, 500, 4}}},
      {"one cell unmerges what it lands in and adds nothing",
       {6, 2, 6, 2},
       {{0, 0, 400, 0}, {10, 1, 11, 3}, {300, 1, 301, 3}, {302, 2, 302, 3}, {500, 0, 500, 4}}},
      {"starting above the first area",
       {0, 4, 2, 4},
       {{0, 0, 400, 0},
        {0, 4, 2, 4},
        {5, 1, 6, 3},
        {10, 1, 11, 3},
        {300, 1, 301, 3},
        {302, 2, 302, 3},
        {500, 0, 500, 4}}},
  };
  for (const Case& c : cases) {
    MergeList list(start);
    list.Add(c.added);
    EXPECT_EQ(list.Areas(), c.expected) << c.why;
    EXPECT_EQ(list.Areas(), AddByScanning(start, c.added)) << c.why;
  }
}

TEST(MergeList, FindsTheAreaHoldingACellAfterItsRowsMoved) {
  MergeList list({{2, 1, 2, 5}, {0, 0, 90, 0}});
  EXPECT_EQ(list.At(90, 0), (CellRect{0, 0, 90, 0})) << "the tall area's last cell";
  EXPECT_EQ(list.At(2, 5), (CellRect{2, 1, 2, 5})) << "given out of order";
  EXPECT_FALSE(list.At(91, 0));
  EXPECT_FALSE(list.At(1, 1));
  // Rows 0..79 deleted: the tall area keeps eleven rows, the title none.
  list.EditAll([](CellRect& m) {
    m.first_row = std::max(m.first_row - 80, 0);
    m.last_row -= 80;
  });
  EXPECT_EQ(list.Areas(), (std::vector<CellRect>{{0, 0, 10, 0}}));
  EXPECT_EQ(list.At(10, 0), (CellRect{0, 0, 10, 0}));
}

// Random areas of mixed heights added in random order, against the scan: the
// list stays ordered and holds the same areas, and At agrees cell by cell.
TEST(MergeList, AgreesWithScanningEveryAreaOnRandomEdits) {
  std::mt19937 random(19);
  std::uniform_int_distribution<int> row(0, 60), col(0, 6), height(0, 12), width(0, 2);
  MergeList list;
  std::vector<CellRect> scanned;
  for (int i = 0; i < 2000; ++i) {
    const int r = row(random), c = col(random);
    const CellRect area{r, c, r + (i % 50 == 0 ? 40 : height(random)), c + width(random)};
    if (i % 7 == 0) {
      list.RemoveMeeting(area);
      std::erase_if(scanned, [&](const CellRect& m) { return m.Intersects(area); });
    } else {
      list.Add(area);
      scanned = AddByScanning(scanned, area);
    }
    ASSERT_EQ(list.Areas(), scanned) << "after edit " << i;
  }
  for (int r = 0; r <= 110; ++r) {
    for (int c = 0; c <= 8; ++c) {
      const auto found = std::find_if(scanned.begin(), scanned.end(),
                                      [&](const CellRect& m) { return m.Contains(r, c); });
      ASSERT_EQ(list.At(r, c).has_value(), found != scanned.end()) << r << "," << c;
      if (found != scanned.end()) {
        EXPECT_EQ(*list.At(r, c), *found);
      }
    }
  }
}

}  // namespace
}  // namespace grid
