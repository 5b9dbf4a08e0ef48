#include "app/ui_services.h"

#include <QFileDialog>

namespace app {

void DialogServices::Message(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

QString DialogServices::OpenFileName(QWidget* parent, const QString& caption,
                                     const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

}  // namespace app
