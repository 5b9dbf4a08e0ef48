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

TEST_F(DocumentWindowTest, SelectionsBeyondTheLimitKeepThePreviousSum) {
  app::DocumentWindow* doc = NewReport(70, 110);
  grid::ReportGrid& g = doc->grid();
  for (int r = 1; r <= 62; ++r) g.SetCellText(r, 1, "1");
  g.Select({1, 1, 61, 101});  // extent 60 x 100 = 6000: summed
  EXPECT_EQ(Panel(2), QStringLiteral("和  61"));
  g.Select({1, 1, 62, 101});  // 61 x 100: not summed
  EXPECT_EQ(Panel(2), QStringLiteral("和  61"));
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

TEST_F(DocumentWindowTest, TitleDoubleClickRebuildsExactlyTwoTitles) {
  state.title_settings.LeftSubtitle = "第一中学";
  state.title_settings.RightSubtitle = "高一年级";
  state.title_settings.ShowDate = "1";
  app::DocumentWindow* doc = NewReport();
  doc->titleBox()->setText(QStringLiteral("期中成绩表"));
  QTest::mouseDClick(doc->titleBox(), Qt::LeftButton);
  QTest::mouseDClick(doc->titleBox(), Qt::LeftButton);
  const grid::ReportTitleList& titles = doc->grid().ReportTitles();
  ASSERT_EQ(titles.Count(), 2u);
  EXPECT_EQ(titles.Item(0).text, "期中成绩表");
  EXPECT_EQ(titles.Item(0).font.size, 14);
  const std::string& sub = titles.Item(1).text;
  EXPECT_EQ(sub.rfind("第一中学||高一年级2", 0), 0u) << sub;  // the date follows directly
  EXPECT_EQ(titles.Item(1).align_to, 1);
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1].text, QStringLiteral("标题修改为 期中成绩表"));
}

TEST_F(DocumentWindowTest, ReportsFilledIntoADocumentShowWhenSynced) {
  app::DocumentWindow* doc = NewReport();
  output::Document& d = doc->document();
  d.caption = "成绩表";
  d.title = "成绩表 [共有 1 个记录]";
  grid::ReportGrid filled(3, 3);
  filled.SetCellText(1, 1, "张三");
  d.grid = std::move(filled);  // a report may move a whole grid in
  doc->SyncFromDocument();
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("成绩表"));
  EXPECT_EQ(doc->titleBox()->text(), QStringLiteral("成绩表 [共有 1 个记录]"));
  EXPECT_EQ(doc->gridView()->Grid(), &d.grid);
  d.grid.SetCellText(2, 2, "7");
  d.grid.Select({2, 2, 2, 2});
  EXPECT_EQ(Panel(2), QStringLiteral("和  7"));
}

// A report filled from one header row on showed its cursor on a heading.
TEST_F(DocumentWindowTest, AFilledReportPutsTheCursorOnItsFirstDataCell) {
  app::DocumentWindow* doc = NewReport();
  grid::ReportGrid filled(1, 3);  // the fill starts from the header row alone
  filled.AddItem("\t张三\t87");
  ASSERT_EQ(filled.ActiveCellPosition(), std::make_pair(0, 1));
  doc->document().grid = std::move(filled);
  doc->SyncFromDocument();
  EXPECT_EQ(doc->grid().ActiveCellPosition(), std::make_pair(1, 1));
}

}  // namespace
}  // namespace app_test
