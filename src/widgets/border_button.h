// The border button. Value is an item index 0..11 (three rows of four):
// 0 no borders, 1 right, 2 bottom, 3 left, 4 top, 5 and 6 the diagonals,
// 7 the inner lines, 8 thin outline, 9 thick outline, 10 all thin lines,
// 11 thick outline with thin inner lines.
#pragma once

#include "widgets/split_button.h"

namespace widgets {

class BorderButton : public SplitButton {
  Q_OBJECT
 public:
  explicit BorderButton(QWidget* parent = nullptr);
  int Value() const { return value_; }
  void SetValue(int value);  // 0..11, others ignored
  void ShowList() override;
  void Choose(int index);

  static void PaintItem(QPainter& painter, const QRect& rect, int index);

 protected:
  void PaintFace(QPainter& painter, const QRect& face) override;

 private:
  int value_ = 8;
};

}  // namespace widgets
