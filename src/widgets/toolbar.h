// The command tool bar: seventeen picture buttons, 22 pixels wide, indexes
// 0 to 16. A click is raised only when the mouse is released over the button
// it was pressed on.
#pragma once

#include <QWidget>
#include <array>

namespace widgets {

class Toolbar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kButtonCount = 17;
  static constexpr int kButtonWidth = 22;
  static constexpr int kHeight = 24;

  explicit Toolbar(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  int ButtonAt(const QPoint& pos) const;  // -1 between or outside buttons
  QRect ButtonRect(int index) const;
  static QString Tip(int index);

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
  std::array<int, kButtonCount> lefts_{};
  int hover_ = -1;
  int pressed_ = -1;
};

// The picture of button `index`, drawn into `rect` (16 x 16 is best).
void PaintToolbarIcon(QPainter& painter, const QRect& rect, int index);

}  // namespace widgets
