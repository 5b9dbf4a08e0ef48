#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "app/document_window_model.h"
#include "app_fixture.h"

namespace app_test {
namespace {

using DocumentWindowTest = AppFixture;

TEST_F(DocumentWindowTest, SelectionSumGoesToTheSecondPanel) {
  app::DocumentWindow* doc = NewReport(10, 5);
  grid::ReportGrid& g = doc->grid();
  g.SetCellText(1, 1, "85分");
  g.SetCellText(1, 2, "及格");
  g.SetCellText(2, 1, "438.5");
  g.SetActiveCell(1, 1);
  EXPECT_EQ(Panel(2), QStringLiteral("和  85"));
  g.Select({1, 1, 2, 2});
  EXPECT_EQ(Panel(2), QStringLiteral("和  523.5"));
  g.SetActiveCell(1, 2);
  EXPECT_EQ(Panel(2), QStringLiteral("和  0"));
}

// Switching windows showed the sum of the window left behind.
TEST_F(DocumentWindowTest, TheSumFollowsTheActiveWindow) {
  app::DocumentWindow* first = NewReport(5, 3);
  first->grid().SetCellText(1, 1, "10");
  first->grid().SetActiveCell(1, 1);
  app::DocumentWindow* second = NewReport(5, 3);
  second->grid().SetCellText(1, 1, "20");
  second->grid().SetActiveCell(1, 1);
  EXPECT_EQ(Panel(2), QStringLiteral("和  20"));
  QMdiArea* mdi = Window().mdiArea();
  mdi->setActiveSubWindow(mdi->subWindowList().first());
  EXPECT_EQ(Panel(2), QStringLiteral("和  10"));
  mdi->setActiveSubWindow(mdi->subWindowList().last());
  EXPECT_EQ(Panel(2), QStringLiteral("和  20"));
  mdi->closeAllSubWindows();
  EXPECT_EQ(Panel(2), QString());
}

TEST_F(DocumentWindowTest, SumIsHeldInSinglePrecision) {
  grid::ReportGrid g(4, 2);
  g.SetCellText(1, 1, "0.1");
  g.SetCellText(2, 1, "0.2");
  EXPECT_EQ(app::SelectionSumText(g, {1, 1, 2, 1}), std::optional<std::string>("和  0.3"));
  g.SetCellText(1, 1, "16777216");
  g.SetCellText(2, 1, "1");
  EXPECT_EQ(app::SelectionSumText(g, {1, 1, 2, 1}), std::optional<std::string>("和  1.677722E+07"));
}

}  // namespace
}  // namespace app_test
