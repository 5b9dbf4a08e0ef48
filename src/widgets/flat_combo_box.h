// The font-name and font-size boxes: an editable list whose Click is raised
// when the user picks an item or confirms a typed text with Enter.
#pragma once

#include <QComboBox>

namespace widgets {

class FlatComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit FlatComboBox(QWidget* parent = nullptr);
  void AddItem(const QString& text) { addItem(text); }
  QString text() const { return currentText(); }
  // Shows `text` without raising Click.
  void setText(const QString& text);
  // Picks item `index` as the user does, raising Click.
  void ChooseItem(int index);

 signals:
  void Click();
};

}  // namespace widgets
