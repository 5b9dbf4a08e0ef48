#include "widgets/align_button.h"

#include <QPainter>

namespace widgets {

AlignButton::AlignButton(QWidget* parent)
    : PictureButton(QStringLiteral("对齐方式"), 3, 3, &AlignButton::PaintItem, 0, parent) {}

// Three text lines of different lengths placed as the item aligns them.
void AlignButton::PaintItem(QPainter& painter, const QRect& rect, int index) {
  const int row = index / 3;
  const int col = index % 3;
  painter.save();
  painter.setPen(QColor(160, 160, 160));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.setPen(QPen(Qt::black, 1));
  const int line_gap = 3;
  const int block = 2 * line_gap;
  const int top = rect.top() + 2 + row * (rect.height() - 4 - block) / 2;
  const int lengths[3] = {rect.width() - 6, rect.width() / 2, rect.width() - 8};
  for (int i = 0; i < 3; ++i) {
    const int len = lengths[i];
    int left = rect.left() + 3;
    if (col == 1) left = rect.center().x() - len / 2;
    if (col == 2) left = rect.right() - 2 - len;
    const int y = top + i * line_gap;
    painter.drawLine(left, y, left + len - 1, y);
  }
  painter.restore();
}

}  // namespace widgets
