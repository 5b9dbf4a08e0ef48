// The grid file: one JSON document per grid, versioned. Besides what the grid
// needs to restore itself exactly it holds "caption" (the window caption),
// "title" (the title box text), "rows", "cols" and "cells" (an array of rows,
// each an array of the cells' texts; row 0 the headers, column 0 the
// row-header column), so that other programs can read the texts plainly.
#pragma once

#include <string>
#include <string_view>

#include "grid/grid_error.h"
#include "grid/report_grid.h"

namespace grid {

inline constexpr int kGridFileVersion = 1;

struct GridDocument {
  ReportGrid grid;
  std::string caption;
  std::string title;
};

Status SaveGridFile(const std::string& path, const ReportGrid& grid, std::string_view caption,
                    std::string_view title);

// Reads the file into a fresh document and only then hands it over, so `out`
// is untouched when the file is missing, truncated, not JSON or of an
// unknown version. To load into a grid that views observe, follow with
// `grid.ReplaceContents(std::move(doc.grid))`.
Status OpenGridFile(const std::string& path, GridDocument& out);

// The same on texts, for tests and for the command-line tool's stdout.
std::string GridFileText(const ReportGrid& grid, std::string_view caption, std::string_view title);
Status ParseGridFileText(std::string_view text, GridDocument& out);

}  // namespace grid
