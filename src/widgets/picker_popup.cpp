#include "widgets/picker_popup.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "widgets/split_button.h"

namespace widgets {

PickerPopup::PickerPopup(int rows, int cols, QSize cell, CellPainter painter, QWidget* parent)
    : QFrame(parent, Qt::Popup),
      rows_(rows),
      cols_(cols),
      cell_(cell),
      painter_(std::move(painter)) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMouseTracking(true);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(cols_ * cell_.width() + 2 * kMargin, rows_ * cell_.height() + 2 * kMargin);
}

void PickerPopup::SetFooter(const QString& text) {
  footer_ = text;
  setFixedSize(width(), rows_ * cell_.height() + 2 * kMargin + kFooterHeight);
}

void PickerPopup::Popup(const QPoint& global_pos) {
  move(global_pos);
  show();
}

QRect PickerPopup::CellRect(int index) const {
  const int r = index / cols_;
  const int c = index % cols_;
  return QRect(kMargin + c * cell_.width(), kMargin + r * cell_.height(), cell_.width(),
               cell_.height());
}

QRect PickerPopup::FooterRect() const {
  if (footer_.isEmpty()) return {};
  return QRect(kMargin, kMargin + rows_ * cell_.height(), cols_ * cell_.width(), kFooterHeight);
}

int PickerPopup::IndexAt(const QPoint& pos) const {
  const QPoint p = pos - QPoint(kMargin, kMargin);
  if (p.x() < 0 || p.y() < 0) return -1;
  const int c = p.x() / cell_.width();
  const int r = p.y() / cell_.height();
  if (c >= cols_ || r >= rows_) return -1;
  return r * cols_ + c;
}

void PickerPopup::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  for (int i = 0; i < rows_ * cols_; ++i) {
    const QRect r = CellRect(i);
    if (i == hover_) PaintHoverFrame(painter, r, false);
    painter_(painter, r.adjusted(3, 3, -3, -3), i);
  }
  if (!footer_.isEmpty()) {
    const QRect f = FooterRect();
    if (hover_ == -2) PaintHoverFrame(painter, f, false);
    painter.setPen(Qt::black);
    painter.drawText(f, Qt::AlignCenter, footer_);
  }
}

void PickerPopup::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  int hover = IndexAt(p);
  if (hover < 0 && FooterRect().contains(p)) hover = -2;
  if (hover != hover_) {
    hover_ = hover;
    update();
  }
}

void PickerPopup::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const int index = rect().contains(p) ? IndexAt(p) : -1;
  const bool footer = rect().contains(p) && FooterRect().contains(p);
  close();
  if (index >= 0) {
    emit Chosen(index);
  } else if (footer) {
    emit FooterChosen();
  }
}

}  // namespace widgets
