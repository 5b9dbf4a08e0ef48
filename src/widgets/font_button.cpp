#include "widgets/font_button.h"

#include <QPainter>

#include "widgets/split_button.h"

namespace widgets {
namespace {
const char* const kTips[3] = {"粗体", "斜体", "下划线"};
}

FontButton::FontButton(QWidget* parent) : ButtonRow(3, parent) {
  setFixedSize(sizeHint());
}

void FontButton::SetState(int index, bool on) {
  if (index < 0 || index > 2 || state_[index] == on) return;
  state_[index] = on;
  update();
}

QRect FontButton::ButtonRect(int index) const {
  return QRect(index * kButtonSize, 0, kButtonSize, kButtonSize);
}

QString FontButton::ButtonTip(int index) const {
  return QString::fromUtf8(kTips[index]);
}

void FontButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < 3; ++i) {
    const QRect r = ButtonRect(i);
    if (i == hover() || state_[i]) PaintHoverFrame(painter, r, state_[i] || i == pressed());
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

}  // namespace widgets
