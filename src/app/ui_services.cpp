#include "app/ui_services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace app {

QStringList UiServices::OpenFileNames(QWidget* parent, const QString& caption,
                                      const QString& filter) {
  const QString path = OpenFileName(parent, caption, filter);
  return path.isEmpty() ? QStringList() : QStringList{path};
}

bool UiServices::Ask(QWidget*, const QString&, const QString&) {
  return false;
}

void DialogServices::Message(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon) {
  // A long text (an import summary with many warnings) scrolls instead of
  // growing the box past the screen: its first line above, the rest below.
  if (text.count(QLatin1Char('\n')) > 20) {
    QDialog box(parent);
    box.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(new QLabel(text.section(QLatin1Char('\n'), 0, 0), &box));
    auto* rest = new QPlainTextEdit(text.section(QLatin1Char('\n'), 1), &box);
    rest->setReadOnly(true);
    rest->setMinimumSize(560, 320);
    layout->addWidget(rest);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

QString DialogServices::OpenFileName(QWidget* parent, const QString& caption,
                                     const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QStringList DialogServices::OpenFileNames(QWidget* parent, const QString& caption,
                                          const QString& filter) {
  return QFileDialog::getOpenFileNames(parent, caption, QString(), filter);
}

bool DialogServices::Ask(QWidget* parent, const QString& caption, const QString& text) {
  return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace app
