// The modal interactions of the commands (message boxes, the file dialog),
// behind an interface so that tests can answer them without a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace app {

class UiServices {
 public:
  virtual ~UiServices() = default;
  virtual void Message(QWidget* parent, const QString& caption, const QString& text,
                       QMessageBox::Icon icon = QMessageBox::Information) = 0;
  // The chosen file's path, empty when the user cancels.
  virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;
  // The chosen files' paths (several may be chosen), empty when the user
  // cancels. By default the one file of OpenFileName.
  virtual QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& filter);
  // A yes/no question; true for yes. By default no, so that nothing is done
  // on behalf of a user who was not asked.
  virtual bool Ask(QWidget* parent, const QString& caption, const QString& text);
};

// The real dialogs.
class DialogServices : public UiServices {
 public:
  void Message(QWidget* parent, const QString& caption, const QString& text,
               QMessageBox::Icon icon) override;
  QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override;
  QStringList OpenFileNames(QWidget* parent, const QString& caption,
                            const QString& filter) override;
  bool Ask(QWidget* parent, const QString& caption, const QString& text) override;
};

}  // namespace app
