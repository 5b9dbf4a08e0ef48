// The border button. Value is an item index 0..11 (three rows of four):
// 0 no borders, 1 right, 2 bottom, 3 left, 4 top, 5 and 6 the diagonals,
// 7 the inner lines, 8 thin outline, 9 thick outline, 10 all thin lines,
// 11 thick outline with thin inner lines.
#pragma once

#include "widgets/picture_button.h"

namespace widgets {

class BorderButton : public PictureButton {
  Q_OBJECT
 public:
  explicit BorderButton(QWidget* parent = nullptr);
  static void PaintItem(QPainter& painter, const QRect& rect, int index);
};

}  // namespace widgets
