// Fitting a laid-out report to its paper: columns widened to their texts,
// the identifying columns repeated on every page, and the orientation and
// zoom at which the columns fit. These are the page setup's automatic
// choices when a report is built; the page setup dialog can change them
// afterwards.
#pragma once

#include <vector>

#include "grid/report_grid.h"

namespace output {

// The smallest zoom at which a report is shrunk to fit its paper's width.
inline constexpr int kMinFitZoom = 80;

// The number of leading grid columns (column 0 included) that identify a
// row: up to the last of 学校, 学号, 班级, 姓名 among the report's first
// columns, or column 1 alone when it has none of them.
int IdentifyingColumnCount(const grid::ReportGrid& grid);

// Width the printed columns take at 100 %: every visible column but the
// row-header column, which is printed only with PrintFixedColumn.
int PrintedWidth(const grid::ReportGrid& grid);

// What a report too wide for portrait paper does first. A statistics report
// (short and wide) turns landscape at full size; a listing (a long list of
// students, printed portrait) shrinks first, which keeps its pages portrait
// and halves their number.
enum class FitPreference { kTurnFirst, kShrinkFirst };

// Widens columns and rows to their texts (grid::WidenToFit) and repeats the
// identifying columns. Then, when the columns do not fit a portrait page,
// either turns it landscape or shrinks it down to kMinFitZoom, as
// `preference` says, and the other when the first is not enough (a
// landscape page shrinks too). A page too wide even so is printed landscape
// at full size, in several bands of columns. A landscape page stays
// landscape. Call it after the last change to a report's columns; calling
// it again is harmless. `body_fitted` as grid::WidenToFit's.
void FitReportToPaper(grid::ReportGrid& grid, FitPreference preference,
                      const std::vector<int>& body_fitted = {});

}  // namespace output
