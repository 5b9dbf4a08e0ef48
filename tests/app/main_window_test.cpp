#include <QAction>
#include <QMenu>

#include "app/menu_table.h"
#include "app_fixture.h"

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

// ---- the window position in the settings store

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
