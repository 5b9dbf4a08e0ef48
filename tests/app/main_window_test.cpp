#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "app/app_info.h"
#include "app/menu_table.h"
#include "app_fixture.h"
#include "widgets/toolbar.h"

namespace app_test {
namespace {

using MainWindowTest = AppFixture;

QAction* Action(app::MainWindow& w, const char* name) {
  return w.findChild<QAction*>(QString::fromLatin1(name));
}

TEST_F(MainWindowTest, SubjectMenusListTheSubjectsAfterTheCaptionItem) {
  state.subject_lines.SubjectName = {"语文", "数学", "英语"};
  app::MainWindow& w = Window();
  for (const char* submenu : {"classtj", "schooltj", "teachtj"}) {
    const QList<QAction*> items = w.findChild<QMenu*>(QString::fromLatin1(submenu))->actions();
    ASSERT_EQ(items.size(), 4) << submenu;
    EXPECT_EQ(items[0]->text(), QStringLiteral("科目"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("语文"));
    EXPECT_EQ(items[3]->text(), QStringLiteral("英语"));
    EXPECT_EQ(items[3]->property("index").toInt(), 3);
  }
  int seen = 0;
  w.commands().RegisterIndexed(QStringLiteral("gxkm"), [&seen](int index) { seen = index; });
  Action(w, "gxkm_2")->trigger();
  EXPECT_EQ(seen, 2);
}

// No menu item may bring the program down, whatever is built yet.
TEST_F(MainWindowTest, EveryMenuItemRunsWithoutAndWithAReport) {
  app::MainWindow& w = Window();
  const QSet<QString> modal_or_final = {QStringLiteral("mnuHelpAbout"),
                                        QStringLiteral("mnuFileExit")};
  for (int with_report = 0; with_report < 2; ++with_report) {
    if (with_report) NewReport(20, 8);
    for (const app::MenuEntry& e : app::MainMenuEntries()) {
      if (e.name == nullptr || (e.flags & app::kMenuSubmenu)) continue;
      const QString name = QString::fromLatin1(e.name);
      if (modal_or_final.contains(name)) continue;
      Action(w, e.name)->trigger();
    }
  }
  EXPECT_TRUE(w.isVisible());
}

// No item may answer "该功能尚未完成。": the four the program has no command
// for are shown disabled, and so are the web items when the build set no
// address; every other item is enabled.
TEST_F(MainWindowTest, ItemsWithoutACommandAreDisabledAndMissingHelpIsReported) {
  app::MainWindow& w = Window();
  const QSet<QString> no_command = {QStringLiteral("kcbpbxx"), QStringLiteral("fbbxx"),
                                    QStringLiteral("xsfb"), QStringLiteral("kcbp")};
  const QSet<QString> until_an_edit = {QStringLiteral("mnuUndo"), QStringLiteral("mnuRedo")};
  for (const app::MenuEntry& e : app::MainMenuEntries()) {
    if (e.name == nullptr || (e.flags & app::kMenuSubmenu) || (e.flags & app::kMenuHidden))
      continue;
    const QString name = QString::fromLatin1(e.name);
    bool expected = !no_command.contains(name) && !until_an_edit.contains(name);
    if (name == QStringLiteral("houseHelp")) expected = !app::HomePageAddress().isEmpty();
    if (name == QStringLiteral("mnuonlineHelp")) expected = !app::OnlineHelpAddress().isEmpty();
    EXPECT_EQ(Action(w, e.name)->isEnabled(), expected) << e.name;
  }
  Trigger("kcbp");  // a disabled item does nothing at all
  EXPECT_TRUE(services.messages.empty());
  Trigger("mnufileHelp");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].caption, QStringLiteral("提示"));
  EXPECT_EQ(services.messages[0].text, QStringLiteral("帮助文件不存在。"));
}

// 制作统计表封面: a window of its own holding the cover, its title box only a
// hint that cannot be edited.
TEST_F(MainWindowTest, CoverCommandsOpenTheCoverInANewWindow) {
  state.title_settings.School = "第一中学";
  state.title_settings.GradeLevel = "高一";
  state.title_settings.ExamType = "期中";
  const struct {
    const char* command;
    int title_row, first_school_row, orientation;
  } cases[] = {{"hxfm", 4, 6, grid::kLandscape}, {"zxfm", 5, 8, grid::kPortrait}};
  for (const auto& c : cases) {
    Trigger(c.command);
    app::DocumentWindow* doc = Window().ActiveDocument();
    ASSERT_NE(doc, nullptr) << c.command;
    EXPECT_FALSE(doc->titleBox()->isEnabled());
    EXPECT_EQ(doc->titleBox()->text(), QStringLiteral("你可在打印预览中观看打印效果"));
    EXPECT_EQ(doc->grid().CellText(c.title_row, 2), "高一期中成绩统计表") << c.command;
    EXPECT_EQ(doc->grid().CellText(c.first_school_row, 2), "第") << c.command;
    EXPECT_EQ(doc->grid().PageSetup().orientation, c.orientation) << c.command;
  }
  EXPECT_EQ(Window().DocumentCount(), 2);
}

TEST_F(MainWindowTest, ToolbarDispatchNeedsAReportAndReturnsTheFocus) {
  app::MainWindow& w = Window();
  w.ToolbarClick(5);  // 剪切 without a report: nothing, not even a message
  EXPECT_TRUE(services.messages.empty());

  app::DocumentWindow* doc = NewReport(6, 4);
  doc->grid().SetCellText(1, 1, "85");
  doc->titleBox()->setFocus();
  w.ToolbarClick(14);
  EXPECT_EQ(doc->grid().CellText(1, 1), "85");
  EXPECT_TRUE(doc->gridView()->hasFocus() || QApplication::focusWidget() == nullptr);

  doc->grid().Select({1, 1, 2, 1});
  w.ToolbarClick(10);  // 插入行: as many rows as selected
  EXPECT_EQ(doc->grid().Rows(), 8);
  w.ToolbarClick(12);  // 删除行
  EXPECT_EQ(doc->grid().Rows(), 6);
}

TEST_F(MainWindowTest, ToolbarReportsAClickOnlyWhenReleasedOnThePressedButton) {
  app::MainWindow& w = Window();
  auto* bar = w.findChild<widgets::Toolbar*>(QStringLiteral("Toolbar1"));
  ASSERT_NE(bar, nullptr);
  std::vector<int> clicks;
  QObject::connect(bar, &widgets::Toolbar::Click, [&clicks](int i) { clicks.push_back(i); });
  QTest::mousePress(bar, Qt::LeftButton, {}, bar->ButtonRect(2).center());
  QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->ButtonRect(3).center());
  EXPECT_TRUE(clicks.empty());
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->ButtonRect(16).center());
  EXPECT_EQ(clicks, std::vector<int>{16});
  EXPECT_EQ(widgets::Toolbar::Tip(14), QStringLiteral("美化表格"));
}

TEST_F(MainWindowTest, ViewCommandsToggleTheBars) {
  app::MainWindow& w = Window();
  Trigger("mnuViewToolbar");
  EXPECT_FALSE(Action(w, "mnuViewToolbar")->isChecked());
  EXPECT_FALSE(w.tool_bar_->isVisible());
  Trigger("mnuViewToolbar");
  EXPECT_TRUE(w.tool_bar_->isVisible());
  Trigger("mnuViewStatusBar");
  EXPECT_FALSE(w.statusBar()->isVisible());
}

TEST_F(MainWindowTest, WindowCommandsOpenAndArrangeReports) {
  app::MainWindow& w = Window();
  w.resize(900, 700);
  Trigger("mnuWindowNewWindow");
  Trigger("mnuWindowNewWindow");
  const QList<QMdiSubWindow*> subs = w.mdiArea()->subWindowList();
  ASSERT_EQ(subs.size(), 2);
  EXPECT_EQ(w.DocumentCount(), 2);
  EXPECT_TRUE(subs[0]->windowTitle().isEmpty());
  EXPECT_EQ(w.ActiveDocument()->grid().Rows(), 60);
  EXPECT_EQ(w.ActiveDocument()->grid().Cols(), 20);
  Trigger("mnuWindowTileVertical");
  EXPECT_EQ(subs[0]->geometry().top(), subs[1]->geometry().top());
  EXPECT_NE(subs[0]->geometry().left(), subs[1]->geometry().left());
  Trigger("mnuWindowTileHorizontal");
  EXPECT_EQ(subs[0]->geometry().left(), subs[1]->geometry().left());
  EXPECT_NE(subs[0]->geometry().top(), subs[1]->geometry().top());
}

// ---- the window position in the settings store

// At the old default of 433 x 433 pixels 窗口 and 帮助 hid behind the menu
// bar's overflow; the first start takes most of the screen instead.
TEST_F(MainWindowTest, FirstStartFillsMostOfTheScreenAndCloseStoresTwips) {
  app::MainWindow& w = Window();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(w.size(), QSize(screen.width() * 4 / 5, screen.height() * 4 / 5));
  EXPECT_LE(std::abs(w.frameGeometry().center().x() - screen.center().x()), 20);
  w.move(120, 80);
  w.resize(800, 600);
  w.close();
  QSettings stored(options.settings_file, QSettings::IniFormat);
  EXPECT_EQ(stored.value(QStringLiteral("Settings/MainWidth")).toString(), QStringLiteral("12000"));
  EXPECT_EQ(stored.value(QStringLiteral("Settings/MainHeight")).toString(), QStringLiteral("9000"));
  window.reset();
  EXPECT_EQ(Window().size(), QSize(800, 600));  // a stored position wins
}

TEST_F(MainWindowTest, ClosingWhileMinimisedKeepsTheStoredPosition) {
  {
    QSettings stored(options.settings_file, QSettings::IniFormat);
    stored.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("9000"));
  }
  app::MainWindow& w = Window();
  EXPECT_EQ(w.width(), 600);
  w.resize(300, 300);
  w.showMinimized();
  w.close();
  QSettings stored(options.settings_file, QSettings::IniFormat);
  EXPECT_EQ(stored.value(QStringLiteral("Settings/MainWidth")).toString(), QStringLiteral("9000"));
  EXPECT_FALSE(stored.contains(QStringLiteral("Settings/MainLeft")));
}

TEST_F(MainWindowTest, ImportAsksForAWorkbookAndReportsTheResult) {
  app::MainWindow& w = Window();
  ASSERT_EQ(w.findChild<QMenu*>(QStringLiteral("classtj"))->actions().size(), 1);  // 科目 only
  Trigger("cjjs");  // cancelled: nothing happens
  EXPECT_EQ(services.last_filter,
            QStringLiteral("数据文件(*.XLS *.xls *.XLSX *.xlsx *.ODS *.ods)"));
  EXPECT_TRUE(services.messages.empty());

  services.file_to_open = QStringLiteral(SCORESTAT_SOURCE_DIR "/examples/sample.xlsx");
  Trigger("cjjs");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].caption, QStringLiteral("导入"));
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("EXCEL导入成功")));
  EXPECT_GT(state.subject_lines.Count(), 0);
  // The new subjects are in the menus without a restart.
  EXPECT_EQ(w.findChild<QMenu*>(QStringLiteral("classtj"))->actions().size(),
            state.subject_lines.Count() + 1);
}

}  // namespace
}  // namespace app_test
