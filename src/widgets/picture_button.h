// A split button whose drop-down is a grid of pictures and whose face shows
// the chosen one: the formatting bar's alignment and border buttons. Value is
// the item index, row by row.
#pragma once

#include "widgets/split_button.h"

namespace widgets {

class PictureButton : public SplitButton {
  Q_OBJECT
 public:
  // Paints item `index` into `rect`, for the drop-down and for the face.
  using ItemPainter = void (*)(QPainter& painter, const QRect& rect, int index);

  PictureButton(const QString& tool_tip, int rows, int cols, ItemPainter paint, int value,
                QWidget* parent);
  int Value() const { return value_; }
  void SetValue(int value);  // 0 .. rows × cols − 1, others ignored
  void ShowList() override;
  // Chooses item `index` as the drop-down does: sets Value, raises Click.
  void Choose(int index);

 protected:
  void PaintFace(QPainter& painter, const QRect& face) override;

 private:
  int rows_;
  int cols_;
  ItemPainter paint_;
  int value_;
};

}  // namespace widgets
