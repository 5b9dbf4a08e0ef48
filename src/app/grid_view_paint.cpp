// Painting of the visible part of the grid. Each of the four panes (fixed
// corner, fixed rows, fixed columns, scrolling cells) is painted with its own
// clip; merged areas are painted once, from whichever of their cells is
// visible first.
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>
#include <set>

#include "app/font_map.h"
#include "app/grid_view.h"
#include "grid/display_format.h"
#ifdef SCORESTAT_HAVE_RENDER
#include "render/cell_painter.h"
#endif

namespace app {
namespace {

const QColor kGridLine(208, 215, 229);
const QColor kFixedBack(236, 233, 216);
const QColor kFixedLine(160, 160, 160);
const QColor kSelectionFill(49, 106, 197, 60);
const QColor kSelectionFrame(0, 0, 0);

#ifndef SCORESTAT_HAVE_RENDER
Qt::Alignment AlignmentOf(const grid::CellStyle& style, bool is_number) {
  Qt::Alignment a;
  switch (grid::HorizontalOf(style.alignment)) {
    case grid::HAlign::kLeft:
      a = Qt::AlignLeft;
      break;
    case grid::HAlign::kCenter:
      a = Qt::AlignHCenter;
      break;
    case grid::HAlign::kRight:
      a = Qt::AlignRight;
      break;
    case grid::HAlign::kGeneral:
      a = is_number ? Qt::AlignRight : Qt::AlignLeft;
      break;
  }
  if (style.alignment == grid::kAlignGeneral) return a | Qt::AlignVCenter;
  switch (grid::VerticalOf(style.alignment)) {
    case grid::VAlign::kTop:
      return a | Qt::AlignTop;
    case grid::VAlign::kMiddle:
      return a | Qt::AlignVCenter;
    case grid::VAlign::kBottom:
      return a | Qt::AlignBottom;
  }
  return a | Qt::AlignVCenter;
}

void DrawEdge(QPainter& painter, int line_style, QPoint from, QPoint to) {
  if (line_style == grid::kLineNone) return;
  painter.setPen(QPen(Qt::black, line_style == grid::kLineThick ? 2 : 1));
  painter.drawLine(from, to);
}
#endif

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
}

void GridView::PaintPane(QPainter& painter, const Pane& pane) {
  const grid::CellRect cells{pane.first_row, pane.first_col, pane.last_row, pane.last_col};
#ifdef SCORESTAT_HAVE_RENDER
  render::PaintOptions options;
  options.gridline_color = kGridLine;
  options.fixed_background = kFixedBack;
  options.merges_at_full_size = true;
  render::PaintCells(painter, *grid_, cells, QPointF(ViewX(pane.first_col), ViewY(pane.first_row)),
                     options);
#else
  std::set<std::pair<int, int> > merges_done;
  std::vector<grid::CellRect> merges;
  for (const grid::CellRect& m : grid_->Merges()) {
    if (m.Intersects(cells)) merges.push_back(m);
  }
  for (int r = pane.first_row; r <= pane.last_row; ++r) {
    if (grid_->RowHeight(r) == 0) continue;
    for (int c = pane.first_col; c <= pane.last_col; ++c) {
      if (grid_->ColWidth(c) == 0) continue;
      const grid::CellRect* merge = nullptr;
      for (const grid::CellRect& m : merges) {
        if (m.Contains(r, c)) merge = &m;
      }
      if (merge == nullptr) {
        PaintCell(painter, CellRect(r, c), r, c);
      } else if (merges_done.insert({merge->first_row, merge->first_col}).second) {
        PaintCell(painter, RangeRect(*merge), merge->first_row, merge->first_col);
      }
    }
  }
#endif
}

#ifndef SCORESTAT_HAVE_RENDER
void GridView::PaintCell(QPainter& painter, const QRect& rect, int row, int col) {
  const grid::CellStyle style = grid_->ResolvedStyle(row, col);
  const bool fixed = row < grid_->FixedRows() || col < grid_->FixedCols();
  QColor back = QtColorOf(style.back_color);
  if (fixed && style.back_color == grid::kWhite) back = kFixedBack;
  painter.fillRect(rect, back);
  painter.setPen(fixed ? kFixedLine : kGridLine);
  painter.drawLine(rect.topRight(), rect.bottomRight());
  painter.drawLine(rect.bottomLeft(), rect.bottomRight());

  const std::string text = grid_->DisplayText(row, col);
  if (!text.empty()) {
    const grid::Font base = grid_->DefaultFont();
    painter.setFont(QtFontOf(style.font_name.empty() ? base.name : style.font_name,
                             style.font_size > 0 ? style.font_size : base.size, style.bold,
                             style.italic, style.underline));
    painter.setPen(QtColorOf(style.fore_color));
    QTextOption option(AlignmentOf(style, grid::IsNumberText(text)));
    option.setWrapMode(style.wrap_text ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                       : QTextOption::NoWrap);
    painter.drawText(QRectF(rect.adjusted(2, 1, -3, -1)), Qs(text), option);
  }

  const auto& b = style.borders;
  DrawEdge(painter, b[grid::kEdgeLeft], rect.topLeft(), rect.bottomLeft());
  DrawEdge(painter, b[grid::kEdgeTop], rect.topLeft(), rect.topRight());
  DrawEdge(painter, b[grid::kEdgeRight], rect.topRight(), rect.bottomRight());
  DrawEdge(painter, b[grid::kEdgeBottom], rect.bottomLeft(), rect.bottomRight());
  DrawEdge(painter, b[grid::kEdgeDiagonalDown], rect.topLeft(), rect.bottomRight());
  DrawEdge(painter, b[grid::kEdgeDiagonalUp], rect.bottomLeft(), rect.topRight());
}
#endif

void GridView::PaintSelection(QPainter& painter, const Pane& pane) {
  const grid::CellRect sel = grid_->SelectionRect();
  const grid::CellRect pane_rect{pane.first_row, pane.first_col, pane.last_row, pane.last_col};
  if (!sel.Intersects(pane_rect)) return;
  const QRect area = RangeRect(sel);
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
