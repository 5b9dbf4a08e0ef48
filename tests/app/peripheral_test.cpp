// The splash window and the about box.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

#include "app/about_box.h"
#include "app/app_info.h"
#include "app/splash_window.h"

namespace app_test {
namespace {

// The description was clipped at top and bottom and the title a few pixels
// high: the interface font is set in pixels, and a point size derived from
// it came out as 5.
TEST(AboutBoxTest, EverySentenceAndALargeTitleShow) {
  app::AboutBox box;
  box.show();
  auto* description = box.findChild<QLabel*>(QStringLiteral("lblDescription"));
  auto* title = box.findChild<QLabel*>(QStringLiteral("lblTitle"));
  auto* version = box.findChild<QLabel*>(QStringLiteral("lblVersion"));
  ASSERT_TRUE(description && title && version);
  EXPECT_EQ(description->text(), app::AboutBox::Description());
  EXPECT_GE(description->height(), description->heightForWidth(description->width()));
  EXPECT_TRUE(box.rect().contains(description->geometry()));
  EXPECT_GE(QFontInfo(title->font()).pixelSize(), 2 * QFontInfo(version->font()).pixelSize() - 1);
  EXPECT_EQ(version->text(), QStringLiteral("版本 ") + app::VersionText());
}

// No placeholder address: the lines are there only when the build set one.
TEST(AboutBoxTest, HomePageAndMailOnlyWhenConfigured) {
  app::AboutBox box;
  auto* home = box.findChild<QLabel*>(QStringLiteral("Label1"));
  auto* mail = box.findChild<QLabel*>(QStringLiteral("Label2"));
  EXPECT_EQ(home != nullptr, !app::HomePageAddress().isEmpty());
  EXPECT_EQ(mail != nullptr, !app::ContactMail().isEmpty());
  if (home) {
    EXPECT_EQ(home->text(), QStringLiteral("主页：") + app::HomePageAddress());
  }
  if (mail) {
    EXPECT_EQ(mail->text(), QStringLiteral("邮箱：") + app::ContactMail());
  }
}

// The splash went away before the main window appeared, so it was never
// seen: it now stays until the main window is shown and it has been up
// about a second, then goes by itself.
TEST(SplashWindowTest, StaysUntilTheMainWindowIsShownThenGoes) {
  app::SplashWindow splash;
  splash.Present();
  EXPECT_TRUE(splash.isVisible());
  QWidget main_window;
  main_window.show();
  splash.CloseAfterMinimumTime();
  EXPECT_TRUE(splash.isVisible());
  EXPECT_TRUE(main_window.isVisible());
  QDeadlineTimer give_up(5000);
  while (splash.isVisible() && !give_up.hasExpired()) QTest::qWait(50);
  EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace app_test
