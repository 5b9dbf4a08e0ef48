// The alignment button. Value is an item index 0..8: row r, column c of the
// drop-down is r * 3 + c, rows top/middle/bottom, columns left/centre/right.
#pragma once

#include "widgets/picture_button.h"

namespace widgets {

class AlignButton : public PictureButton {
  Q_OBJECT
 public:
  explicit AlignButton(QWidget* parent = nullptr);
  static void PaintItem(QPainter& painter, const QRect& rect, int index);
};

}  // namespace widgets
