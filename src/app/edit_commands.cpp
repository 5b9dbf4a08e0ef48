#include "app/edit_commands.h"

#include <cmath>
#include <initializer_list>

#include "grid/content_fit.h"

namespace app {

void HideSelectedRows(grid::ReportGrid& grid) {
  const grid::CellRect sel = grid.SelectionRect();
  for (int r = sel.first_row; r <= sel.last_row; ++r) {
    if (grid.RowHeight(r) != 0) grid.SetRowHeight(r, 0);
  }
}

void HideSelectedCols(grid::ReportGrid& grid) {
  const grid::CellRect sel = grid.SelectionRect();
  for (int c = sel.first_col; c <= sel.last_col; ++c) {
    if (grid.ColWidth(c) != 0) grid.SetColWidth(c, 0);
  }
}

int AlignmentOfItem(int item) {
  return 5 + 4 * (item % 3) + item / 3;
}

void ApplyAlignmentItem(grid::ReportGrid& grid, int item) {
  grid.Selection().SetAlignment(AlignmentOfItem(item));
}

void ApplyBorderItem(grid::ReportGrid& grid, int item) {
  using namespace grid;
  GridSelection sel = grid.Selection();
  auto set = [&sel](std::initializer_list<int> edges, int style) {
    for (int edge : edges) sel.SetBorders(edge, style);
  };
  // Single edges go straight to the grid; the rest are drawn once at the end.
  switch (item) {
    case 1:
      return set({kEdgeRight}, kLineThin);
    case 2:
      return set({kEdgeBottom}, kLineThin);
    case 3:
      return set({kEdgeLeft}, kLineThin);
    case 4:
      return set({kEdgeTop}, kLineThin);
    case 5:
      return set({kEdgeDiagonalDown}, kLineThin);
    case 6:
      return set({kEdgeDiagonalUp}, kLineThin);
    default:
      break;
  }
  const bool redraw = grid.AutoRedraw();
  grid.SetAutoRedraw(false);
  const std::initializer_list<int> outline = {kEdgeLeft, kEdgeTop, kEdgeRight, kEdgeBottom};
  const std::initializer_list<int> inner = {kEdgeInsideHorizontal, kEdgeInsideVertical};
  switch (item) {
    case 0:
      set(outline, kLineNone);
      set(inner, kLineNone);
      set({kEdgeDiagonalDown, kEdgeDiagonalUp}, kLineNone);
      break;
    case 7:
      set(inner, kLineThin);
      break;
    case 8:
      set(outline, kLineThin);
      break;
    case 9:
      set(outline, kLineThick);
      break;
    case 10:
      set(outline, kLineThin);
      set(inner, kLineThin);
      break;
    case 11:
      set(outline, kLineThick);
      set(inner, kLineThin);
      break;
    default:
      break;
  }
  grid.SetAutoRedraw(redraw);
  grid.Refresh();
}

void ToggleFontStyle(grid::ReportGrid& grid, int button) {
  const grid::CellRef active = grid.ActiveCell();
  grid::GridSelection sel = grid.Selection();
  switch (button) {
    case 0:
      sel.SetFontBold(!active.Bold());
      break;
    case 1:
      sel.SetFontItalic(!active.Italic());
      break;
    case 2:
      sel.SetFontUnderline(!active.Underline());
      break;
    default:
      break;
  }
}

int StepDefaultFontSize(grid::ReportGrid& grid, int delta) {
  const auto size = static_cast<std::int16_t>(std::lround(grid.DefaultFont().size + delta));
  grid.SetDefaultFontSize(size);
  // A larger type needs wider columns and higher rows, not a squeezed text.
  grid::WidenToFit(grid);
  grid.Refresh();
  return size;
}

}  // namespace app
