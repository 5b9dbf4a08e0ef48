// The grid file's per-cell members written straight from the grid as text,
// byte for byte as the JSON library writes them (indent 1, at the top level
// of the document, texts escaped alike), without a JSON value per cell: a
// listing of 100,000 students spent more time building and freeing those
// values than writing them. They go out in blocks of rows through a few
// reused buffers, never whole: the 26 MB text of such a listing, made in
// fresh memory, cost more in page faults than writing it.
#pragma once

#include <functional>
#include <string_view>

#include "grid/report_grid.h"

namespace grid::internal {

enum class CellMember {
  kCellStyles,  // [row, col, style] where the style is not 0
  kCells,       // rows of texts
  kRowHeights,  // [row, height] where the height is not the default
  kTags,        // [row, col, tag] where there is a tag
};

using PutText = std::function<void(std::string_view)>;

// Whether every cell text and tag is valid UTF-8. The library refuses to
// write any other, and a member is written only once this is known, so that
// a refused grid leaves no file behind.
bool TextsAreUtf8(const ReportGrid& grid);

// Puts `member`'s array: "[", its elements, "\n ]" ("[]" when it has none).
// The texts must have passed TextsAreUtf8. A long grid's blocks of rows are
// made on two threads at once and put in order on the calling thread.
void WriteCellMember(const ReportGrid& grid, CellMember member, const PutText& put);

// Rows per block: what one buffer holds at a time.
inline constexpr int kRowsPerBlock = 2048;

}  // namespace grid::internal
