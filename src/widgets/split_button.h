// The common shape of the alignment, border and colour buttons: a flat
// 35 x 23 button whose face (the left 23 pixels) applies the current value
// again and whose arrow strip opens a drop-down of choices.
#pragma once

#include <QWidget>

namespace widgets {

class SplitButton : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 35;
  static constexpr int kHeight = 23;
  static constexpr int kFaceWidth = 23;

  explicit SplitButton(const QString& tip, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {kWidth, kHeight}; }

  // Opens the drop-down below the button, as a click on the arrow does.
  virtual void ShowList() = 0;

 signals:
  // The user chose a value, or clicked the face to apply the current one.
  void Click();

 protected:
  virtual void PaintFace(QPainter& painter, const QRect& face) = 0;

  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool hover_ = false;
  bool pressed_ = false;
};

// The hover highlight shared by every flat control of the bar.
void PaintHoverFrame(QPainter& painter, const QRect& rect, bool pressed);

}  // namespace widgets
