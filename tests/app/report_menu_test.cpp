// Every report of the menus comes from the report catalog and every kind of
// the catalog is on the menus, with the catalog's caption: a kind added to
// the catalog but not placed in the menus, or a menu item making a report
// the CLI cannot, fails here.
#include <QAction>
#include <QMenu>

#include <cstring>
#include <set>

#include "app/menu_table.h"
#include "app_fixture.h"
#include "reports/report_catalog.h"

namespace app_test {
namespace {

using ReportMenuTest = AppFixture;

// The menus whose items make reports; the edit menu's rank and sort commands
// act on the active report instead.
bool IsReportMenu(const char* name) {
  for (const char* menu : {"ddec", "cjtjxx", "mnuReports", "fxbb", "tjbfm"})
    if (std::strcmp(menu, name) == 0) return true;
  return false;
}

TEST_F(ReportMenuTest, EveryKindIsAMenuCommandWithTheCatalogCaption) {
  app::MainWindow& w = Window();
  for (const reports::ReportKind& kind : reports::ReportCatalog()) {
    SCOPED_TRACE(kind.control_name);
    const QString name = QString::fromLatin1(kind.control_name);
    if (kind.input == reports::KindInput::kSubject) {
      EXPECT_TRUE(w.commands().HasIndexed(name));
      const char* submenu = nullptr;
      for (const app::SubjectMenu& m : app::SubjectMenus())
        if (std::strcmp(m.items, kind.control_name) == 0) submenu = m.submenu;
      ASSERT_NE(submenu, nullptr) << "no subject menu";
      auto* menu = w.findChild<QMenu*>(QString::fromLatin1(submenu));
      ASSERT_NE(menu, nullptr);
      EXPECT_EQ(menu->title(), QString::fromUtf8(kind.caption));
    } else {
      EXPECT_TRUE(w.commands().Has(name));
      auto* action = w.findChild<QAction*>(name);
      ASSERT_NE(action, nullptr) << "not in the menus";
      EXPECT_EQ(action->text(), QString::fromUtf8(kind.caption));
    }
  }
}

TEST_F(ReportMenuTest, EveryReportMenuItemIsAKind) {
  app::MainWindow& w = Window();
  std::vector<const char*> open;  // the menu at each level
  for (const app::MenuEntry& e : app::MainMenuEntries()) {
    open.resize(static_cast<size_t>(e.level));
    if (e.name == nullptr) continue;
    if (e.flags & app::kMenuSubmenu) {
      open.push_back(e.name);
      continue;
    }
    const bool in_report_menu = !open.empty() && IsReportMenu(open.back());
    if (!in_report_menu || !w.commands().Has(QString::fromLatin1(e.name))) continue;
    EXPECT_NE(reports::FindReportKind(e.name), nullptr) << e.name << " is not in the catalog";
  }
  for (const app::SubjectMenu& m : app::SubjectMenus()) {
    const reports::ReportKind* kind = reports::FindReportKind(m.items);
    ASSERT_NE(kind, nullptr) << m.items;
    EXPECT_EQ(kind->input, reports::KindInput::kSubject) << m.items;
  }
}

}  // namespace
}  // namespace app_test
