// The file dialogs, driven as a user drives them: Qt's real QFileDialog,
// a name typed and Enter pressed, the real message boxes answered.
//
// 输出到Excel once showed "输出成功。" while its dialog was still open; a
// second Enter exported again, and dismissing the messages crashed the
// program, the dialog having been deleted inside its own handler.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app_fixture.h"

namespace app_test {
namespace {

// Answers every modal window while a command runs: a file dialog gets
// `path` typed and Enter pressed, twice, as an impatient user does; a
// message box is read and closed with Enter.
class ModalAnswerer : public QObject {
 public:
  explicit ModalAnswerer(QString path) : path_(std::move(path)) {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
  }
  void Stop() { timer_.stop(); }
  QStringList seen;                  // "file" and "message:<text>", in order
  bool message_over_dialog = false;  // a message shown while a file dialog was open

 private:
  // Acting may block in a nested event loop (a question box), in which this
  // timer does not fire again: so act from a single-shot timer of its own.
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (dialog == answered_) return;
      answered_ = dialog;
      seen << QStringLiteral("file");
      QPointer<QLineEdit> name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      name->setText(path_);
      QTimer::singleShot(0, this, [name] {
        QTest::keyClick(name, Qt::Key_Return);
        if (name && name->isVisible()) QTest::keyClick(name, Qt::Key_Return);
      });
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      if (box == last_box_) return;
      last_box_ = box;
      // The dialog's own question whether to replace a file: Yes.
      if (qobject_cast<QFileDialog*>(box->parentWidget())) {
        seen << QStringLiteral("question:") + box->text();
        QPointer<QAbstractButton> yes = box->button(QMessageBox::Yes);
        QTimer::singleShot(0, this, [yes] {
          if (yes) yes->click();
        });
        return;
      }
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QFileDialog*>(w) && w->isVisible()) message_over_dialog = true;
      seen << QStringLiteral("message:") + box->text();
      QPointer<QMessageBox> target(box);
      QTimer::singleShot(0, this, [target] {
        if (target) QTest::keyClick(target, Qt::Key_Return);
      });
    }
  }

  QString path_;
  QTimer timer_;
  QPointer<QFileDialog> answered_;
  QPointer<QMessageBox> last_box_;
};

// The message boxes are real too, but say what they show.
class RealDialogs : public app::DialogServices {};

class FileDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    app::UseChineseForQt();
    state.database_path = Path("sujuf.db").toStdString();
    options.settings_file = Path("settings.ini");
    options.load_database = false;
    window = std::make_unique<app::MainWindow>(state, services, options);
    window->show();
  }
  QString Path(const char* name) const {
    return dir.path() + QLatin1Char('/') + QString::fromUtf8(name);
  }
  app::DocumentWindow* SampleReport() {
    app::DocumentWindow* doc = window->NewDocument();
    doc->grid().SetRows(3);
    doc->grid().SetCols(3);
    doc->grid().SetCellText(0, 1, "姓名");
    doc->grid().SetCellText(1, 1, "张三");
    doc->document().caption = "成绩表";
    doc->SyncFromDocument();
    return doc;
  }
  // Runs the command with the answerer typing `file`; returns what it saw.
  std::unique_ptr<ModalAnswerer> Run(const char* command, const QString& file) {
    auto answerer = std::make_unique<ModalAnswerer>(file);
    window->RunCommand(QString::fromLatin1(command));
    QApplication::processEvents();
    answerer->Stop();
    return answerer;
  }

  QTemporaryDir dir;
  data::AppState state;
  RealDialogs services;
  app::MainWindowOptions options;
  std::unique_ptr<app::MainWindow> window;
};

TEST_F(FileDialogTest, EachSaveAndExportWritesOnceAndSpeaksAfterTheDialogClosed) {
  SampleReport();
  const struct {
    const char* command;
    const char* typed;
    const char* written;
    const char* message;
  } cases[] = {
      {"mnuFileSaveAs", "期中", "期中.scg", "保存成功。"},
      {"ExcelSave", "期中.xlsx", "期中.xlsx", "输出成功。"},
      {"mnuExportHtml", "期中", "期中.html", "输出成功。"},
      {"mnuExportPdf", "期中", "期中.pdf", "输出成功。"},
  };
  for (const auto& c : cases) {
    auto answerer = Run(c.command, Path(c.typed));
    // One dialog, one message after it: the second Enter exported nothing.
    EXPECT_EQ(answerer->seen,
              QStringList({QStringLiteral("file"),
                           QStringLiteral("message:") + QString::fromUtf8(c.message)}))
        << c.command;
    EXPECT_FALSE(answerer->message_over_dialog) << c.command;
    EXPECT_TRUE(QFile::exists(Path(c.written))) << c.command;
  }
  EXPECT_TRUE(window->findChildren<QFileDialog*>().isEmpty());  // none left behind
}

// An existing file is only replaced after the user agreed; the question is
// a message box of the dialog itself, answered Yes by Enter.
TEST_F(FileDialogTest, ReplacingAFileAsksFirst) {
  SampleReport();
  QFile old(Path("旧.xlsx"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  auto answerer = Run("ExcelSave", Path("旧.xlsx"));
  ASSERT_EQ(answerer->seen.size(), 3);
  EXPECT_EQ(answerer->seen[0], QStringLiteral("file"));
  EXPECT_TRUE(answerer->seen[1].startsWith(QStringLiteral("question:")));
  EXPECT_TRUE(answerer->seen[1].contains(QStringLiteral("旧.xlsx")));
  EXPECT_EQ(answerer->seen[2], QStringLiteral("message:输出成功。"));
  EXPECT_GT(QFile(Path("旧.xlsx")).size(), 3);
}

}  // namespace
}  // namespace app_test
