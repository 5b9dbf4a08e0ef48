// Bold, italic and underline: three flat buttons raising Click with their
// index (0 bold, 1 italic, 2 underline). SetState shows the active cell's
// font without raising anything.
#pragma once

#include <array>

#include "widgets/button_row.h"

namespace widgets {

class FontButton : public ButtonRow {
  Q_OBJECT
 public:
  static constexpr int kButtonSize = 23;
  explicit FontButton(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {3 * kButtonSize, kButtonSize}; }
  void SetState(int index, bool on);
  bool State(int index) const { return state_.at(index); }
  QRect ButtonRect(int index) const override;

 protected:
  QString ButtonTip(int index) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<bool, 3> state_{};
};

}  // namespace widgets
