// Every kind of the report catalog is on the menus, with the catalog's
// caption: a kind added to the catalog but not placed in the menus fails here.
#include <QAction>
#include <QMenu>

#include <cstring>

#include "app/menu_table.h"
#include "app_fixture.h"
#include "reports/report_catalog.h"

namespace app_test {
namespace {

using ReportMenuTest = AppFixture;

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

}  // namespace
}  // namespace app_test
