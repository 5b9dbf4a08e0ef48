#include "widgets/flat_combo_box.h"

#include <QLineEdit>

namespace widgets {

FlatComboBox::FlatComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setFrame(false);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(20);
  connect(this, &QComboBox::activated, this, [this](int) { emit Click(); });
}

void FlatComboBox::setText(const QString& text) {
  const QSignalBlocker block(this);
  const int index = findText(text);
  if (index >= 0) setCurrentIndex(index);
  lineEdit()->setText(text);
}

void FlatComboBox::ChooseItem(int index) {
  if (index < 0 || index >= count()) return;
  setCurrentIndex(index);
  emit Click();
}

}  // namespace widgets
