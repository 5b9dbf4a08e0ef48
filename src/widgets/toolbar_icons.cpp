// Small vector pictures for the tool bar, so the program ships no image files.
#include <QPainter>
#include <QPainterPath>

#include "widgets/toolbar.h"

namespace widgets {
namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 90, 170);
const QColor kGreen(30, 140, 50);
const QColor kRed(200, 40, 40);
const QColor kYellow(240, 200, 70);

void Page(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 4, r.top());
  path.lineTo(r.right(), r.top() + 4);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(path);
}

void Table(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(r);
  p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
  p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

void Sign(QPainter& p, const QPointF& c, bool plus) {
  const QColor color = plus ? kGreen : kRed;
  p.setPen(QPen(color, 2));
  p.drawLine(c + QPointF(-3, 0), c + QPointF(3, 0));
  if (plus) p.drawLine(c + QPointF(0, -3), c + QPointF(0, 3));
}

void Printer(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(r.left() + 4, r.top() + 1, 8, 6));
  p.setBrush(QColor(180, 180, 180));
  p.drawRect(QRectF(r.left() + 1, r.top() + 6, 14, 6));
  p.setBrush(kPaper);
  p.drawRect(QRectF(r.left() + 4, r.top() + 10, 8, 5));
}

void Scissors(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(r.left() + 4, r.top() + 1), QPointF(r.left() + 10, r.top() + 11));
  p.drawLine(QPointF(r.left() + 12, r.top() + 1), QPointF(r.left() + 6, r.top() + 11));
  p.setPen(QPen(kBlue, 1.5));
  p.drawEllipse(QPointF(r.left() + 4.5, r.top() + 13), 2.5, 2.5);
  p.drawEllipse(QPointF(r.left() + 11.5, r.top() + 13), 2.5, 2.5);
}

void Gear(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 3));
  const QPointF c = r.center();
  for (int i = 0; i < 4; ++i) {
    p.save();
    p.translate(c);
    p.rotate(45.0 * i);
    p.drawLine(QPointF(-7, 0), QPointF(7, 0));
    p.restore();
  }
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(200, 200, 200));
  p.drawEllipse(c, 5, 5);
  p.setBrush(kPaper);
  p.drawEllipse(c, 2, 2);
}

void Letter(QPainter& p, const QRectF& r, const QString& text, const QColor& color) {
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(13);
  p.setFont(font);
  p.setPen(color);
  p.drawText(r, Qt::AlignCenter, text);
}

void Folder(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kYellow);
  p.drawRect(r.adjusted(0, 4, -1, -2));
  p.drawLine(QPointF(r.left(), r.top() + 4), QPointF(r.left() + 3, r.top() + 1));
}

void Disk(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kBlue);
  p.drawRect(r.adjusted(1, 1, -1, -1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(r.left() + 4, r.top() + 1, 8, 5));
}

void Preview(QPainter& p, const QRectF& r) {
  Page(p, r.adjusted(1, 0, -4, 0));
  p.setPen(QPen(kBlue, 2));
  p.drawEllipse(QPointF(r.left() + 9, r.top() + 9), 3.5, 3.5);
  p.drawLine(QPointF(r.left() + 12, r.top() + 12), QPointF(r.right(), r.bottom()));
}

void Paste(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(190, 140, 80));
  p.drawRect(r.adjusted(1, 2, -4, -1));
  Page(p, r.adjusted(6, 6, 0, 0));
}

// A table with a row (or a column) marked, and a plus or minus sign.
void RowOrColumn(QPainter& p, const QRectF& r, bool row, bool plus) {
  Table(p, r.adjusted(0, 0, -5, -5));
  p.setPen(QPen(kBlue, 2));
  if (row)
    p.drawLine(QPointF(r.left(), r.bottom() - 2), QPointF(r.right() - 6, r.bottom() - 2));
  else
    p.drawLine(QPointF(r.right() - 2, r.top()), QPointF(r.right() - 2, r.bottom() - 6));
  Sign(p, QPointF(r.right() - 3, r.bottom() - 3), plus);
}

}  // namespace

void PaintToolbarIcon(QPainter& p, const QRect& rect, int index) {
  const QRectF r(rect);
  p.save();
  switch (index) {
    case 0:
      Page(p, r.adjusted(2, 0, -2, 0));
      break;
    case 1:
      Folder(p, r);
      break;
    case 2:
      Disk(p, r);
      break;
    case 3:
      Printer(p, r);
      break;
    case 4:
      Preview(p, r);
      break;
    case 5:
      Scissors(p, r);
      break;
    case 6:
      Page(p, r.adjusted(0, 0, -5, -5));
      Page(p, r.adjusted(5, 5, 0, 0));
      break;
    case 7:
      Paste(p, r);
      break;
    case 8:
      Table(p, r.adjusted(0, 2, -1, -2));
      p.setPen(QPen(kBlue, 2));
      p.drawLine(QPointF(r.left() + 3, r.center().y()), QPointF(r.right() - 3, r.center().y()));
      break;
    case 9:
      Table(p, r.adjusted(0, 2, -1, -2));
      p.setPen(QPen(kRed, 2));
      p.drawLine(QPointF(r.center().x(), r.top() + 2), QPointF(r.center().x(), r.bottom() - 2));
      break;
    case 10:
    case 11:
    case 12:
    case 13:
      // Insert a row or a column (10, 11), delete one (12, 13).
      RowOrColumn(p, r, index == 10 || index == 12, index <= 11);
      break;
    case 14:
      Letter(p, r, QStringLiteral("★"), QColor(220, 150, 0));
      break;
    case 15:
      Gear(p, r);
      break;
    case 16:
      Letter(p, r, QStringLiteral("?"), kBlue);
      break;
    default:
      break;
  }
  p.restore();
}

}  // namespace widgets
