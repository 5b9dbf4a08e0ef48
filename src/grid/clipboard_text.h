// The text form of a block of cells on the clipboard: cells separated by
// tabs, rows by line breaks, as spreadsheets exchange them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "grid/selection.h"

namespace grid {

class ReportGrid;

// Stored (raw) texts of `rect`, rows ended by "\r\n" except the last.
std::string CellsToClipboardText(const ReportGrid& grid, const CellRect& rect);

// Splits clipboard text into rows of cells; accepts "\r\n", "\n" and "\r"
// line ends and drops one trailing line end.
std::vector<std::vector<std::string>> ParseClipboardText(std::string_view text);

}  // namespace grid
