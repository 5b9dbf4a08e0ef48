#include "widgets/split_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace widgets {

void PaintHoverFrame(QPainter& painter, const QRect& rect, bool pressed) {
  painter.save();
  painter.setPen(QColor(10, 36, 106));
  painter.setBrush(pressed ? QColor(132, 146, 181) : QColor(181, 190, 214));
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

SplitButton::SplitButton(const QString& tip, QWidget* parent) : QWidget(parent) {
  setToolTip(tip);
  setFixedSize(kWidth, kHeight);
  setMouseTracking(true);
}

void SplitButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (hover_) PaintHoverFrame(painter, rect(), pressed_);
  if (hover_) painter.drawLine(kFaceWidth, 1, kFaceWidth, kHeight - 2);
  PaintFace(painter, QRect(0, 0, kFaceWidth, kHeight));
  // The arrow of the drop-down strip.
  const int cx = kFaceWidth + (kWidth - kFaceWidth) / 2;
  const int cy = kHeight / 2;
  QPolygon arrow;
  arrow << QPoint(cx - 3, cy - 1) << QPoint(cx + 3, cy - 1) << QPoint(cx, cy + 2);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::black);
  painter.drawPolygon(arrow);
}

void SplitButton::enterEvent(QEnterEvent*) {
  hover_ = true;
  update();
}

void SplitButton::leaveEvent(QEvent*) {
  hover_ = false;
  pressed_ = false;
  update();
}

void SplitButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  update();
}

void SplitButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = false;
  update();
  const QPoint p = event->position().toPoint();
  if (p.y() <= 0 || p.y() >= kHeight) return;
  if (p.x() > 0 && p.x() < kFaceWidth) {
    emit Click();
  } else if (p.x() > kFaceWidth && p.x() < kWidth) {
    ShowList();
  }
}

}  // namespace widgets
