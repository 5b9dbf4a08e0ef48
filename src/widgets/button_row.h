// A row of flat picture buttons drawn by one widget: the hover frame follows
// the mouse, each button has its tool tip, and Click(index) is raised only
// when the left button is released over the button it was pressed on. A
// subclass says where its buttons are and what their tips say, and paints
// them with hover() and pressed().
#pragma once

#include <QWidget>

namespace widgets {

class ButtonRow : public QWidget {
  Q_OBJECT
 public:
  int ButtonAt(const QPoint& pos) const;  // -1 between or outside buttons
  virtual QRect ButtonRect(int index) const = 0;

 signals:
  void Click(int index);

 protected:
  ButtonRow(int button_count, QWidget* parent);
  virtual QString ButtonTip(int index) const = 0;
  int hover() const { return hover_; }
  int pressed() const { return pressed_; }

  bool event(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int button_count_;
  int hover_ = -1;
  int pressed_ = -1;
};

}  // namespace widgets
