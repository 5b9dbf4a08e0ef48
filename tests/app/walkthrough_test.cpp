// Faults found by working through the program as a new user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/application.h"

namespace app_test {
namespace {

// The file dialog and the message boxes spoke English on a system whose
// locale is not Chinese.
TEST(WalkthroughTest, QtOwnButtonsSpeakChinese) {
  const std::unique_ptr<QTranslator> translator = app::ChineseQtTranslator();
  if (!translator) GTEST_SKIP() << "qt6-translations-l10n is not installed";
  QApplication::installTranslator(translator.get());
  QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No);
  const QString yes = box.button(QMessageBox::Yes)->text();
  const QString cancel = QCoreApplication::translate("QFileDialog", "&Open");
  QApplication::removeTranslator(translator.get());
  EXPECT_FALSE(yes.contains(QStringLiteral("Yes"))) << yes.toStdString();
  EXPECT_NE(cancel, QStringLiteral("&Open"));
}

}  // namespace
}  // namespace app_test
