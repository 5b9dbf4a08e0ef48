// The alignment button. Value is an item index 0..8: row r, column c of the
// drop-down is r * 3 + c, rows top/middle/bottom, columns left/centre/right.
#pragma once

#include "widgets/split_button.h"

namespace widgets {

class AlignButton : public SplitButton {
  Q_OBJECT
 public:
  explicit AlignButton(QWidget* parent = nullptr);
  int Value() const { return value_; }
  void SetValue(int value);  // 0..8, others ignored
  void ShowList() override;
  // Chooses item `index` as the drop-down does: sets Value, raises Click.
  void Choose(int index);

  static void PaintItem(QPainter& painter, const QRect& rect, int index);

 protected:
  void PaintFace(QPainter& painter, const QRect& face) override;

 private:
  int value_ = 0;
};

}  // namespace widgets
