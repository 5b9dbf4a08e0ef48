// The fill-colour (ButtonType 0) and text-colour (ButtonType 1) button:
// a palette of 40 colours in 8 columns and 5 rows, and 自定义颜色 opening
// the colour dialog.
#pragma once

#include <QColor>
#include <array>

#include "widgets/split_button.h"

namespace widgets {

class ColorButton : public SplitButton {
  Q_OBJECT
 public:
  static constexpr int kPaletteCols = 8;
  static constexpr int kPaletteRows = 5;

  explicit ColorButton(int button_type = 0, QWidget* parent = nullptr);
  int ButtonType() const { return button_type_; }
  QColor Value() const { return value_; }
  void SetValue(const QColor& color);
  void ShowList() override;
  // Chooses palette cell `column`, `row` as the drop-down does.
  void ChoosePaletteCell(int column, int row);
  // Opens the colour dialog; Click only when the user confirms.
  void ChooseCustomColor();

  // Colour of palette column c, row r.
  static QColor PaletteColor(int column, int row);

 protected:
  void PaintFace(QPainter& painter, const QRect& face) override;

 private:
  int button_type_;
  QColor value_;
};

}  // namespace widgets
