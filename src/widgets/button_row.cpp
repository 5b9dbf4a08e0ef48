#include "widgets/button_row.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace widgets {

ButtonRow::ButtonRow(int button_count, QWidget* parent)
    : QWidget(parent), button_count_(button_count) {
  setMouseTracking(true);
}

int ButtonRow::ButtonAt(const QPoint& pos) const {
  for (int i = 0; i < button_count_; ++i) {
    if (ButtonRect(i).contains(pos)) return i;
  }
  return -1;
}

bool ButtonRow::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int b = ButtonAt(help->pos());
    if (b >= 0) {
      QToolTip::showText(help->globalPos(), ButtonTip(b), this, ButtonRect(b));
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

void ButtonRow::mouseMoveEvent(QMouseEvent* event) {
  const int b = ButtonAt(event->position().toPoint());
  if (b != hover_) {
    hover_ = b;
    update();
  }
}

void ButtonRow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = ButtonAt(event->position().toPoint());
  update();
}

void ButtonRow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int b = ButtonAt(event->position().toPoint());
  const int pressed = pressed_;
  pressed_ = -1;
  update();
  if (b >= 0 && b == pressed) emit Click(b);
}

void ButtonRow::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

}  // namespace widgets
