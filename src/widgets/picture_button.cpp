#include "widgets/picture_button.h"

#include "widgets/picker_popup.h"

namespace widgets {

PictureButton::PictureButton(const QString& tool_tip, int rows, int cols, ItemPainter paint,
                             int value, QWidget* parent)
    : SplitButton(tool_tip, parent), rows_(rows), cols_(cols), paint_(paint), value_(value) {}

void PictureButton::SetValue(int value) {
  if (value < 0 || value >= rows_ * cols_) return;
  value_ = value;
  update();
}

void PictureButton::Choose(int index) {
  SetValue(index);
  emit Click();
}

void PictureButton::ShowList() {
  auto* popup = new PickerPopup(rows_, cols_, QSize(24, 24), paint_, this);
  connect(popup, &PickerPopup::Chosen, this, &PictureButton::Choose);
  popup->Popup(mapToGlobal(QPoint(0, height())));
}

void PictureButton::PaintFace(QPainter& painter, const QRect& face) {
  paint_(painter, face.adjusted(4, 4, -4, -4), value_);
}

}  // namespace widgets
