// Painting of the visible part of the grid. Each of the four panes (fixed
// corner, fixed rows, fixed columns, scrolling cells) is painted with its own
// clip; merged areas are painted once, from whichever of their cells is
// visible first.
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/grid_view.h"
#include "app/qt_convert.h"
#include "grid/display_format.h"
#include "render/cell_painter.h"

namespace app {
namespace {

const QColor kGridLine(208, 215, 229);
const QColor kFixedBack(236, 233, 216);
const QColor kFixedLine(160, 160, 160);
const QColor kSelectionFill(49, 106, 197, 60);
const QColor kSelectionFrame(0, 0, 0);

}  // namespace

std::vector<GridView::Pane> GridView::VisiblePanes() const {
  std::vector<Pane> panes;
  if (grid_ == nullptr) return panes;
  const QSize area = viewport()->size();
  const int fr = grid_->FixedRows();
  const int fc = grid_->FixedCols();
  const int fw = FrozenWidth();
  const int fh = FrozenHeight();
  const std::int64_t y0 = std::int64_t{fh} + verticalScrollBar()->value();
  const std::int64_t x0 = std::int64_t{fw} + horizontalScrollBar()->value();
  auto last_index = [](const std::vector<std::int64_t>& pos, std::int64_t x) {
    const int i = IndexAt(pos, x);
    return i < 0 ? static_cast<int>(pos.size()) - 2 : i;
  };
  const int first_row = IndexAt(row_pos_, y0);
  const int last_row = last_index(row_pos_, y0 + std::max(0, area.height() - fh));
  const int first_col = IndexAt(col_pos_, x0);
  const int last_col = last_index(col_pos_, x0 + std::max(0, area.width() - fw));
  const QRect scroll_rect(fw, fh, area.width() - fw, area.height() - fh);
  if (first_row >= 0 && first_col >= 0)
    panes.push_back({first_row, last_row, first_col, last_col, scroll_rect});
  if (fr > 0 && first_col >= 0)
    panes.push_back({0, fr - 1, first_col, last_col, QRect(fw, 0, area.width() - fw, fh)});
  if (fc > 0 && first_row >= 0)
    panes.push_back({first_row, last_row, 0, fc - 1, QRect(0, fh, fw, area.height() - fh)});
  if (fr > 0 && fc > 0) panes.push_back({0, fr - 1, 0, fc - 1, QRect(0, 0, fw, fh)});
  return panes;
}

void GridView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
  if (grid_ == nullptr) return;
  const QRect used(0, 0, static_cast<int>(std::min<std::int64_t>(col_pos_.back(), INT32_MAX)),
                   static_cast<int>(std::min<std::int64_t>(row_pos_.back(), INT32_MAX)));
  painter.fillRect(used.intersected(viewport()->rect()), Qt::white);
  for (const Pane& pane : VisiblePanes()) {
    painter.save();
    painter.setClipRect(pane.clip);
    PaintPane(painter, pane);
    PaintSelection(painter, pane);
    painter.restore();
  }
  PaintResizeGuide(painter);
}

void GridView::PaintPane(QPainter& painter, const Pane& pane) {
  const grid::CellRect cells{pane.first_row, pane.first_col, pane.last_row, pane.last_col};
  render::PaintOptions options;
  options.gridline_color = kGridLine;
  options.fixed_background = kFixedBack;
  options.merges_at_full_size = true;
  render::PaintCells(painter, *grid_, cells, QPointF(ViewX(pane.first_col), ViewY(pane.first_row)),
                     options);
}

void GridView::PaintSelection(QPainter& painter, const Pane& pane) {
  const grid::CellRect sel = grid_->SelectionRect();
  const grid::CellRect pane_rect{pane.first_row, pane.first_col, pane.last_row, pane.last_col};
  if (!sel.Intersects(pane_rect)) return;
  const QRect area = RangeRect(sel);
  // A selection wholly inside hidden rows or columns has nothing to frame.
  if (area.width() <= 0 || area.height() <= 0) return;
  const auto [ar, ac] = grid_->ActiveCellPosition();
  grid::CellRect active{ar, ac, ar, ac};
  if (auto merge = grid_->MergeAt(ar, ac)) active = *merge;
  if (!sel.IsSingleCell() && active != sel) {
    painter.save();
    painter.setClipRegion(QRegion(pane.clip).subtracted(QRegion(RangeRect(active))));
    painter.fillRect(area, kSelectionFill);
    painter.restore();
  }
  painter.setPen(QPen(kSelectionFrame, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area.adjusted(1, 1, -1, -1));
}

}  // namespace app
