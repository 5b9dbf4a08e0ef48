// Column widths and row heights by mouse, as in every spreadsheet: drag a
// border in the header row or the row-header column, or double-click it to
// fit the contents. While dragging, a guide line shows where the border
// will be; the grid changes once, on release, as one undoable step.
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/grid_view.h"
#include "grid/content_fit.h"

namespace app {
namespace {

constexpr int kGrabDistance = 3;  // pixels either side of a border

}  // namespace

// The column (row) whose far edge lies within reach. Hidden columns share
// the edge of the visible one before them, which is the one resized.
std::optional<GridView::Border> GridView::BorderAt(const QPoint& pos) const {
  if (grid_ == nullptr) return std::nullopt;
  const bool in_header_row = pos.y() >= 0 && pos.y() < FrozenHeight();
  const bool in_header_col = pos.x() >= 0 && pos.x() < FrozenWidth();
  if (in_header_row == in_header_col) return std::nullopt;
  const bool column = in_header_row;
  const int at = column ? pos.x() : pos.y();
  const int frozen = column ? FrozenWidth() : FrozenHeight();
  const int fixed = column ? grid_->FixedCols() : grid_->FixedRows();
  const auto& positions = column ? col_pos_ : row_pos_;
  const int scroll = column ? horizontalScrollBar()->value() : verticalScrollBar()->value();
  auto size = [&](int i) { return column ? grid_->ColWidth(i) : grid_->RowHeight(i); };
  auto far_edge = [&](int i) { return (column ? ViewX(i) : ViewY(i)) + size(i); };
  int under = IndexAt(positions, at < frozen ? at : std::int64_t{at} + scroll);
  if (under < 0) under = static_cast<int>(positions.size()) - 2;  // past the last one
  for (int i : {under - 1, under}) {
    while (i > 0 && size(i) == 0) --i;
    if (i < 0 || (i >= fixed && far_edge(i) <= frozen)) continue;  // scrolled out of sight
    if (std::abs(far_edge(i) - at) <= kGrabDistance) return Border{column, i};
  }
  return std::nullopt;
}

bool GridView::PressBorder(const QPoint& pos) {
  const std::optional<Border> border = BorderAt(pos);
  if (!border) return false;
  const int size =
      border->column ? grid_->ColWidth(border->index) : grid_->RowHeight(border->index);
  resize_ = Resize{*border, border->column ? pos.x() : pos.y(), size, size};
  return true;
}

bool GridView::DragBorder(const QPoint& pos) {
  if (!resize_) return false;
  const int moved = (resize_->border.column ? pos.x() : pos.y()) - resize_->start_pos;
  resize_->size = std::max(0, resize_->start_size + moved);
  viewport()->update();
  return true;
}

bool GridView::ReleaseBorder() {
  if (!resize_) return false;
  const Resize done = *resize_;
  resize_.reset();
  viewport()->update();
  if (done.size == done.start_size) return true;
  const int i = done.border.index;
  if (done.border.column)
    Change(QStringLiteral("列宽"), [this, i, &done] { grid_->SetColWidth(i, done.size); });
  else
    Change(QStringLiteral("行高"), [this, i, &done] { grid_->SetRowHeight(i, done.size); });
  return true;
}

bool GridView::DoubleClickBorder(const QPoint& pos) {
  const std::optional<Border> border = BorderAt(pos);
  if (!border) return false;
  resize_.reset();
  const int i = border->index;
  if (border->column)
    Change(QStringLiteral("列宽"), [this, i] { grid_->AutoFit(i); });
  else
    Change(QStringLiteral("行高"),
           [this, i] { grid_->SetRowHeight(i, grid::NeededRowHeight(*grid_, i)); });
  return true;
}

void GridView::UpdateHoverCursor(const QPoint& pos) {
  const std::optional<Border> border = BorderAt(pos);
  if (!border)
    viewport()->unsetCursor();
  else
    viewport()->setCursor(border->column ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void GridView::PaintResizeGuide(QPainter& painter) {
  if (!resize_) return;
  const int i = resize_->border.index;
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  if (resize_->border.column) {
    const int x = ViewX(i) + resize_->size;
    painter.drawLine(x, 0, x, viewport()->height());
  } else {
    const int y = ViewY(i) + resize_->size;
    painter.drawLine(0, y, viewport()->width(), y);
  }
}

}  // namespace app
