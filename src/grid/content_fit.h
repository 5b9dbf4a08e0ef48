// Fitting columns and rows to what they show. The widths and heights a
// report sets are minimums: WidenToFit only ever widens a column or
// heightens a row, so that no text has to be squeezed or cut when it is
// painted, printed or exported.
//
// Texts are measured with the grid's TextMeasurer. Each distinct text of a
// column is measured once, so a column of a million scores costs a few
// hundred measurements.
#pragma once

#include <string_view>
#include <vector>

#include "grid/report_grid.h"

namespace grid {

// Room a cell leaves around its text, in pixels: the painter's padding and
// a little more, so that a text measured on screen still fits on paper.
inline constexpr int kFitPaddingX = 6;
inline constexpr int kFitPaddingY = 2;

// Lines `text` takes when wrapped at `width` pixels. It breaks at spaces,
// between two wide characters and before a wide character; never inside a
// run of narrow ones ("130_150", "149985.5") nor before a narrow character
// that follows a wide one ("率%"). A run wider than `width` takes a line of
// its own. An empty text takes no line.
int WrappedLineCount(std::string_view text, const Font& font, int width,
                     const TextMeasurer& measurer);

// The narrowest width at which `text` wraps onto at most `lines` lines
// (lines >= 1); never less than its widest unbreakable run.
int WrappedTextWidth(std::string_view text, const Font& font, int lines,
                     const TextMeasurer& measurer);

// Width column `col` needs for its widest display text, padding included.
// A cell that wraps may use as many lines as its row holds, and at least
// two (a two-line header). A cell merged down the column counts with the
// height of its rows; one merged across columns is left out.
int NeededColumnWidth(const ReportGrid& grid, int col);
// The same for each of `cols` at once, a long grid's on two threads.
std::vector<int> NeededColumnWidths(const ReportGrid& grid, const std::vector<int>& cols);

// Height row `row` needs for the tallest text of its visible cells, at the
// columns' present widths.
int NeededRowHeight(const ReportGrid& grid, int row);

// Widens every visible column narrower than it needs, and the last of the
// columns a merged cell spans when together they are too narrow for it; then
// heightens every visible row lower than it needs. Hidden columns and rows
// stay hidden. Merged cells do not heighten rows.
// `body_fitted` names columns AutoFit has fitted since their cells below the
// fixed rows last changed: their width covers those cells, so only the
// others (headers, merges down the column) are measured again. The result is
// the same as measuring them all.
void WidenToFit(ReportGrid& grid, const std::vector<int>& body_fitted = {});

}  // namespace grid
