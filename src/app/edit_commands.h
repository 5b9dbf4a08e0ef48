// The edit and format commands and the formatting bar's reactions, as
// operations on a grid's selection. The grid's own refusals (GridError)
// pass through; the callers end such a command silently.
#pragma once

#include "grid/report_grid.h"

namespace app {

void HideSelectedRows(grid::ReportGrid& grid);
void HideSelectedCols(grid::ReportGrid& grid);

// The alignment code of alignment item 0..8: 5, 9, 13, 6, 10, 14, 7, 11, 15.
int AlignmentOfItem(int item);
void ApplyAlignmentItem(grid::ReportGrid& grid, int item);
// Border item 0..11 of the border button.
void ApplyBorderItem(grid::ReportGrid& grid, int item);
// 0 bold, 1 italic, 2 underline: the opposite of the active cell's state,
// for the whole selection.
void ToggleFontStyle(grid::ReportGrid& grid, int button);
// 增大字体 / 减小字体: the default font's size plus `delta`, rounded; returns
// the size now remembered. Columns and rows grow to fit the new size.
int StepDefaultFontSize(grid::ReportGrid& grid, int delta);

}  // namespace app
