// 工具 > 按班输出 (absc): the folder comes from the chooser, every class of
// the sample gets its folder of four files, and 取消 stops between classes
// leaving only whole folders, as many as the message says.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "dialog_fixture.h"

namespace {

using ClassPackCommandTest = app_test::ExamFixture;

// The class folders under `root` (学校/班级), each with its files' names sorted.
std::map<QString, QStringList> ClassFolders(const QString& root) {
  std::map<QString, QStringList> out;
  const QDir::Filters dirs = QDir::Dirs | QDir::NoDotAndDotDot;
  for (const QFileInfo& school : QDir(root).entryInfoList(dirs))
    for (const QFileInfo& klass : QDir(school.absoluteFilePath()).entryInfoList(dirs)) {
      QStringList files = QDir(klass.absoluteFilePath()).entryList(QDir::Files);
      files.sort();
      out[klass.absoluteFilePath()] = files;
    }
  return out;
}

QStringList PackFiles() {
  QStringList files = {QStringLiteral("成绩条.pdf"), QStringLiteral("家长告知书.pdf"),
                       QStringLiteral("单科统计.xlsx"), QStringLiteral("学生名单.xlsx")};
  files.sort();
  return files;
}

// A whole PDF ends with its trailer; a zip (the .xlsx) begins with "PK".
bool Whole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  return path.endsWith(QStringLiteral(".pdf")) ? bytes.trimmed().endsWith("%%EOF")
                                               : bytes.startsWith("PK");
}

TEST_F(ClassPackCommandTest, EveryClassGetsItsFolderOfFourWholeFiles) {
  Window();
  Trigger("absc");  // the chooser is cancelled: nothing is written, nothing said
  EXPECT_TRUE(MessageTexts().empty());
  services.folder_to_choose = dir.path() + QStringLiteral("/pack");
  Trigger("absc");
  const std::map<QString, QStringList> folders = ClassFolders(services.folder_to_choose);
  EXPECT_EQ(folders.size(), 30u) << "the sample's three schools of ten classes";
  for (const auto& [folder, files] : folders) {
    EXPECT_EQ(files, PackFiles()) << folder.toStdString();
    for (const QString& file : files) EXPECT_TRUE(Whole(folder + '/' + file)) << file.toStdString();
  }
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_TRUE(MessageTexts().back().startsWith(QStringLiteral("已按班输出 30 个班级")))
      << MessageTexts().back().toStdString();
}

TEST_F(ClassPackCommandTest, CancelLeavesOnlyWholeFoldersAsManyAsTheMessageSays) {
  Window();
  services.folder_to_choose = dir.path() + QStringLiteral("/pack");
  // 取消 is pressed once the first class is written, when the window names it.
  QTimer poll;
  poll.setInterval(0);
  QObject::connect(&poll, &QTimer::timeout, [this, &poll] {
    for (QWidget* w : Window().findChildren<QWidget*>(QStringLiteral("Progfrm"))) {
      auto* stage = w->findChild<QLabel*>();
      auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
      if (stage && cancel && stage->text().startsWith(QStringLiteral("按班输出 "))) {
        cancel->click();
        poll.stop();
      }
    }
  });
  poll.start();
  Trigger("absc");
  const std::map<QString, QStringList> folders = ClassFolders(services.folder_to_choose);
  EXPECT_GE(folders.size(), 1u);
  EXPECT_LT(folders.size(), 30u);
  for (const auto& [folder, files] : folders) {
    EXPECT_EQ(files, PackFiles()) << folder.toStdString();
    for (const QString& file : files) EXPECT_TRUE(Whole(folder + '/' + file)) << file.toStdString();
  }
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_EQ(MessageTexts().back(), QStringLiteral("已取消。已按班输出 %1 个班级到“%2”。")
                                       .arg(folders.size())
                                       .arg(services.folder_to_choose));
}

}  // namespace
