// The drop-down picture of a split button: a grid of choices painted by the
// owner, optionally with a footer area (the colour button's 自定义颜色).
// Closes itself when a choice is made or the mouse is released outside it.
#pragma once

#include <QFrame>
#include <functional>

namespace widgets {

class PickerPopup : public QFrame {
  Q_OBJECT
 public:
  using CellPainter = std::function<void(QPainter&, const QRect&, int index)>;

  PickerPopup(int rows, int cols, QSize cell, CellPainter painter, QWidget* parent = nullptr);
  void SetFooter(const QString& text);
  // Shows the popup with its top left corner at `global_pos`.
  void Popup(const QPoint& global_pos);
  int IndexAt(const QPoint& pos) const;  // -1 outside the cells
  QRect CellRect(int index) const;
  QRect FooterRect() const;

 signals:
  void Chosen(int index);
  void FooterChosen();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  static constexpr int kMargin = 4;
  static constexpr int kFooterHeight = 22;
  int rows_;
  int cols_;
  QSize cell_;
  CellPainter painter_;
  QString footer_;
  int hover_ = -1;
};

}  // namespace widgets
