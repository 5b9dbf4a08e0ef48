// Bold, italic and underline: three flat buttons raising Click with their
// index (0 bold, 1 italic, 2 underline). SetState shows the active cell's
// font without raising anything.
#pragma once

#include <QWidget>
#include <array>

namespace widgets {

class FontButton : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kButtonSize = 23;
  explicit FontButton(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {3 * kButtonSize, kButtonSize}; }
  void SetState(int index, bool on);
  bool State(int index) const { return state_.at(index); }
  int ButtonAt(const QPoint& pos) const;  // -1 outside

 signals:
  void Click(int index);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  std::array<bool, 3> state_{};
  int hover_ = -1;
  int pressed_ = -1;
};

}  // namespace widgets
