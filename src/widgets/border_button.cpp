#include "widgets/border_button.h"

#include <QPainter>

namespace widgets {
namespace {

// Lines of an item picture: outline sides, inner cross, diagonals, and
// whether the outline is thick.
struct BorderPicture {
  bool left = false, top = false, right = false, bottom = false;
  bool inner = false, diag_down = false, diag_up = false, thick = false;
};

BorderPicture PictureOf(int index) {
  BorderPicture p;
  switch (index) {
    case 1:
      p.right = true;
      break;
    case 2:
      p.bottom = true;
      break;
    case 3:
      p.left = true;
      break;
    case 4:
      p.top = true;
      break;
    case 5:
      p.diag_down = true;
      break;
    case 6:
      p.diag_up = true;
      break;
    case 7:
      p.inner = true;
      break;
    case 8:
      p.left = p.top = p.right = p.bottom = true;
      break;
    case 9:
      p.left = p.top = p.right = p.bottom = p.thick = true;
      break;
    case 10:
      p.left = p.top = p.right = p.bottom = p.inner = true;
      break;
    case 11:
      p.left = p.top = p.right = p.bottom = p.inner = p.thick = true;
      break;
    default:
      break;
  }
  return p;
}

}  // namespace

BorderButton::BorderButton(QWidget* parent)
    : PictureButton(QStringLiteral("框线"), 3, 4, &BorderButton::PaintItem, 8, parent) {}

void BorderButton::PaintItem(QPainter& painter, const QRect& rect, int index) {
  const BorderPicture p = PictureOf(index);
  const QRect r = rect.adjusted(1, 1, -2, -2);
  const int cx = r.center().x();
  const int cy = r.center().y();
  painter.save();
  // The faint dotted cell lines every picture shows.
  painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(r);
  painter.drawLine(cx, r.top(), cx, r.bottom());
  painter.drawLine(r.left(), cy, r.right(), cy);
  const QPen thin(Qt::black, 1);
  const QPen outline(Qt::black, p.thick ? 2 : 1);
  painter.setPen(outline);
  if (p.left) painter.drawLine(r.topLeft(), r.bottomLeft());
  if (p.top) painter.drawLine(r.topLeft(), r.topRight());
  if (p.right) painter.drawLine(r.topRight(), r.bottomRight());
  if (p.bottom) painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.setPen(thin);
  if (p.inner) {
    painter.drawLine(cx, r.top(), cx, r.bottom());
    painter.drawLine(r.left(), cy, r.right(), cy);
  }
  if (p.diag_down) painter.drawLine(r.topLeft(), r.bottomRight());
  if (p.diag_up) painter.drawLine(r.bottomLeft(), r.topRight());
  painter.restore();
}

}  // namespace widgets
