#include "app/ui_services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace app {
namespace {

// Qt formats the file list's sizes and dates in the system's locale, which
// under C or POSIX is English ("0 bytes", "6 Dec"), and its "Folder" has no
// translation; the list shows them in the program's locale instead.
class ChineseFileList : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || index.column() == 0)
      return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    const bool folder = files->isDir(source);
    switch (index.column()) {
      case 1:
        return folder ? QString() : QLocale().formattedDataSize(files->size(source));
      case 2:
        return folder ? QStringLiteral("文件夹") : QIdentityProxyModel::data(index, role);
      case 3:
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }
};

// The dialog lives on this stack frame and is gone before the caller acts on
// the answer: acting from inside the dialog's own signals let a second Enter
// export again and deleted the dialog under its own handler.
QStringList AskForFiles(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& start, QFileDialog::FileMode mode) {
  QFileDialog dialog(parent, caption, start, filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new ChineseFileList(&dialog));
  const bool save = mode == QFileDialog::AnyFile;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // A name typed without an ending gets the suggested one's, before the
  // dialog checks whether that file exists.
  if (save) dialog.setDefaultSuffix(QFileInfo(start).suffix());
  dialog.setFileMode(mode);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString First(const QStringList& paths) {
  return paths.isEmpty() ? QString() : paths.first();
}

}  // namespace

QStringList UiServices::OpenFileNames(QWidget* parent, const QString& caption,
                                      const QString& filter) {
  const QString path = OpenFileName(parent, caption, filter);
  return path.isEmpty() ? QStringList() : QStringList{path};
}

bool UiServices::Ask(QWidget*, const QString&, const QString&) {
  return false;
}

QString UiServices::AskText(QWidget*, const QString&, const QString&, const QString&) {
  return {};
}

QString UiServices::ExistingDirectory(QWidget*, const QString&) {
  return {};
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
  return First(AskForFiles(parent, caption, filter, QString(), QFileDialog::ExistingFile));
}

QString DialogServices::SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                     const QString& suggested) {
  return First(AskForFiles(parent, caption, filter, suggested, QFileDialog::AnyFile));
}

QString DialogServices::ExistingDirectory(QWidget* parent, const QString& caption) {
  return First(AskForFiles(parent, caption, QString(), QString(), QFileDialog::Directory));
}

QStringList DialogServices::OpenFileNames(QWidget* parent, const QString& caption,
                                          const QString& filter) {
  return AskForFiles(parent, caption, filter, QString(), QFileDialog::ExistingFiles);
}

bool DialogServices::Ask(QWidget* parent, const QString& caption, const QString& text) {
  return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

QString DialogServices::AskText(QWidget* parent, const QString& caption, const QString& label,
                                const QString& initial) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(parent, caption, label, QLineEdit::Normal, initial, &ok);
  return ok ? text : QString();
}

}  // namespace app
