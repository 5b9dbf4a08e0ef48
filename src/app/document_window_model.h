// What a report window holds, and the computation of the window that does
// not need a widget: the sum of the selected cells shown in the status bar.
#pragma once

#include <optional>
#include <string>

#include "data/app_state.h"
#include "grid/report_grid.h"
#include "output/document.h"

namespace app {

inline constexpr int kNewDocumentRows = 60;
inline constexpr int kNewDocumentCols = 20;

// Reports fill a Document; the window shows it. After a report changed the
// caption or the title, the window's SyncFromDocument shows them.
using output::Document;

// Selections whose (last - first column) x (last - first row) exceeds this
// are not summed, so that sweeping over a large report stays responsive.
inline constexpr long long kMaxSummedExtent = 6000;

// "和  " and the single-precision sum of the numeric values of the cells of
// `rect`; nullopt when the selection is too large to sum.
std::optional<std::string> SelectionSumText(const grid::ReportGrid& grid,
                                            const grid::CellRect& rect);

}  // namespace app
