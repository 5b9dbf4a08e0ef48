#include "output/paper_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "grid/content_fit.h"

namespace output {
namespace {

// Identifying headers further right than this belong to a block of their own
// (a second 姓名 after the scores), not to the row's key.
constexpr int kKeyColumnsSearched = 6;

bool IsIdentifyingHeader(std::string_view header) {
  static constexpr std::array<std::string_view, 4> kHeaders = {"学校", "学号", "班级", "姓名"};
  return std::find(kHeaders.begin(), kHeaders.end(), header) != kHeaders.end();
}

}  // namespace

int IdentifyingColumnCount(const grid::ReportGrid& grid) {
  if (grid.Cols() < 2) return grid.Cols();
  int last = 1;
  const int searched = std::min(grid.Cols() - 1, kKeyColumnsSearched);
  for (int c = 1; c <= searched; ++c)
    if (IsIdentifyingHeader(grid.CellText(0, c))) last = c;
  return last + 1;
}

int PrintedWidth(const grid::ReportGrid& grid) {
  int width = 0;
  const int first = grid.PageSetup().print_fixed_column ? 0 : grid.FixedCols();
  for (int c = std::max(first, 0); c < grid.Cols(); ++c) width += grid.ColWidth(c);
  return width;
}

void FitReportToPaper(grid::ReportGrid& grid, FitPreference preference,
                      const std::vector<int>& body_fitted) {
  grid::WidenToFit(grid, body_fitted);
  grid::PageSettings& page = grid.PageSetup();
  page.print_title_columns = std::max(page.print_title_columns, IdentifyingColumnCount(grid));
  const double width = PrintedWidth(grid);
  // The zoom at which the columns fit the paper turned to `orientation`; 0
  // when even kMinFitZoom is not enough.
  auto fitting_zoom = [&](int orientation) {
    const double room = grid::PrintableWidth(page, orientation);
    if (width <= room) return 100;
    if (width * kMinFitZoom / 100 > room) return 0;
    return static_cast<int>(std::floor(100 * room / width));
  };
  int zoom = fitting_zoom(page.orientation);
  const bool turn = page.orientation == grid::kPortrait &&
                    (zoom == 0 || (zoom < 100 && preference == FitPreference::kTurnFirst));
  if (turn) {
    page.orientation = grid::kLandscape;
    zoom = fitting_zoom(grid::kLandscape);
  }
  page.zoom = zoom == 0 ? 100 : zoom;
}

}  // namespace output
