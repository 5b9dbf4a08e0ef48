// The modal interactions of the commands (message boxes, the file dialogs),
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
  // The chosen file's path, empty when the user cancels. The dialog is
  // closed and gone when these return, so the caller may write the file and
  // show its message without the dialog still open underneath.
  virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;
  // The chosen files' paths (several may be chosen), empty when the user
  // cancels. By default the one file of OpenFileName.
  virtual QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& filter);
  // A yes/no question; true for yes. By default no, so that nothing is done
  // on behalf of a user who was not asked.
  virtual bool Ask(QWidget* parent, const QString& caption, const QString& text);
  // `suggested` is the path the dialog starts with; an existing file is
  // only chosen after the user agreed to replace it.
  virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                               const QString& suggested) = 0;
  // A line of text, `initial` offered first; empty when the user cancels.
  // By default empty.
  virtual QString AskText(QWidget* parent, const QString& caption, const QString& label,
                          const QString& initial);
  // The chosen folder's path, empty when the user cancels (and by default).
  virtual QString ExistingDirectory(QWidget* parent, const QString& caption);
};

// The real dialogs: Qt's own, so that they speak the program's language
// whatever the desktop's.
class DialogServices : public UiServices {
 public:
  void Message(QWidget* parent, const QString& caption, const QString& text,
               QMessageBox::Icon icon) override;
  QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override;
  QStringList OpenFileNames(QWidget* parent, const QString& caption,
                            const QString& filter) override;
  bool Ask(QWidget* parent, const QString& caption, const QString& text) override;
  QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& suggested) override;
  QString AskText(QWidget* parent, const QString& caption, const QString& label,
                  const QString& initial) override;
  QString ExistingDirectory(QWidget* parent, const QString& caption) override;
};

}  // namespace app
