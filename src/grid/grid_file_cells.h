// The grid file's per-cell members written straight from the grid as text,
// byte for byte as the JSON library writes them (indent 1, at the top level
// of the document, texts escaped alike), without a JSON value per cell: a
// listing of 100,000 students spent more time building and freeing those
// values than writing them.
#pragma once

#include <string>

#include "grid/report_grid.h"

namespace grid::internal {

struct CellMembers {
  std::string cells;        // rows of texts
  std::string cell_styles;  // [row, col, style] where the style is not 0
  std::string tags;         // [row, col, tag] where there is a tag
  std::string row_heights;  // [row, height] where the height is not the default
};

// False when a text is not valid UTF-8, which the library refuses to write
// (the caller lets it refuse, with its own message).
bool WriteCellMembers(const ReportGrid& grid, CellMembers& out);

}  // namespace grid::internal
