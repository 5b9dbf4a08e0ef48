#include "app/dialog_util.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <utility>

#include "app/qt_convert.h"

namespace app {

QGroupBox* Frame(QWidget* parent, const char* name, const char* caption) {
  auto* frame = new QGroupBox(Qs(caption), parent);
  frame->setObjectName(QString::fromLatin1(name));
  return frame;
}

QPushButton* DialogButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(Qs(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* button : buttons) row->addWidget(button);
  return row;
}

QHBoxLayout* OkCancelRow(QDialog* dialog, const char* ok_name, const char* ok_caption,
                         const char* cancel_name, const char* cancel_caption,
                         std::function<void()> on_ok) {
  QPushButton* ok = DialogButton(dialog, ok_name, ok_caption);
  QPushButton* cancel = DialogButton(dialog, cancel_name, cancel_caption);
  QObject::connect(ok, &QPushButton::clicked, dialog, std::move(on_ok));
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QWidget::close);
  return ButtonRow({ok, cancel});
}

}  // namespace app
