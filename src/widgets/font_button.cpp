#include "widgets/font_button.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "widgets/split_button.h"

namespace widgets {
namespace {
const char* const kTips[3] = {"粗体", "斜体", "下划线"};
}

FontButton::FontButton(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
  setMouseTracking(true);
}

void FontButton::SetState(int index, bool on) {
  if (index < 0 || index > 2 || state_[index] == on) return;
  state_[index] = on;
  update();
}

int FontButton::ButtonAt(const QPoint& pos) const {
  if (!rect().contains(pos)) return -1;
  return pos.x() / kButtonSize;
}

bool FontButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int b = ButtonAt(help->pos());
    if (b >= 0) {
      QToolTip::showText(help->globalPos(), QString::fromUtf8(kTips[b]), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

void FontButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < 3; ++i) {
    const QRect r(i * kButtonSize, 0, kButtonSize, kButtonSize);
    if (i == hover_ || state_[i]) PaintHoverFrame(painter, r, state_[i] || i == pressed_);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(14);
    font.setBold(i == 0);
    font.setItalic(i == 1);
    font.setUnderline(i == 2);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const char* glyph[3] = {"B", "I", "U"};
    painter.drawText(r, Qt::AlignCenter, QString::fromLatin1(glyph[i]));
  }
}

void FontButton::mouseMoveEvent(QMouseEvent* event) {
  const int b = ButtonAt(event->position().toPoint());
  if (b != hover_) {
    hover_ = b;
    update();
  }
}

void FontButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = ButtonAt(event->position().toPoint());
  update();
}

void FontButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int b = ButtonAt(event->position().toPoint());
  pressed_ = -1;
  update();
  if (b >= 0) emit Click(b);
}

void FontButton::leaveEvent(QEvent*) {
  hover_ = -1;
  pressed_ = -1;
  update();
}

}  // namespace widgets
