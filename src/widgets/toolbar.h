// The command tool bar: seventeen picture buttons, 22 pixels wide, indexes
// 0 to 16.
#pragma once

#include <array>

#include "widgets/button_row.h"

namespace widgets {

class Toolbar : public ButtonRow {
  Q_OBJECT
 public:
  static constexpr int kButtonCount = 17;
  static constexpr int kButtonWidth = 22;
  static constexpr int kHeight = 24;

  explicit Toolbar(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QRect ButtonRect(int index) const override;
  static QString Tip(int index);

 protected:
  QString ButtonTip(int index) const override { return Tip(index); }
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<int, kButtonCount> lefts_{};
};

// The picture of button `index`, drawn into `rect` (16 x 16 is best).
void PaintToolbarIcon(QPainter& painter, const QRect& rect, int index);

}  // namespace widgets
