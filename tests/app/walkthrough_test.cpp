// Faults found by working through the program as a new user would.
#include <gtest/gtest.h>

#include <QTest>

#include "app_fixture.h"

namespace app_test {
namespace {

using WalkthroughAppTest = AppFixture;

// 选定的列排序 keeps a statistics report's 合计 row out of the sort by
// fixing it; it then lost its columns' number formats (91.458 for 91.46).
TEST_F(WalkthroughAppTest, TotalsRowKeptOutOfTheSortKeepsItsFormats) {
  app::DocumentWindow* doc = NewReport(1, 3);
  grid::ReportGrid& g = doc->grid();
  g.SetCellText(0, 1, "班级");
  g.SetCellText(0, 2, "平均分");
  g.AddItem("\t合计\t91.458");
  g.AddItem("\t高一(1)班\t88.5");
  g.AddItem("\t高一(2)班\t95.25");
  g.Column(2).SetFormatString("0.00");
  Trigger("pm");
  ASSERT_EQ(services.messages.size(), 1U);
  EXPECT_EQ(g.FixedRows(), 2);
  QTest::mouseDClick(doc->gridView()->viewport(), Qt::LeftButton, {},
                     doc->gridView()->CellRect(0, 2).center());
  QTest::mouseDClick(doc->gridView()->viewport(), Qt::LeftButton, {},
                     doc->gridView()->CellRect(0, 2).center());
  EXPECT_EQ(g.CellText(1, 1), "合计");
  EXPECT_EQ(g.CellText(2, 1), "高一(2)班");
  EXPECT_EQ(g.DisplayText(1, 2), "91.46");
  EXPECT_EQ(g.DisplayText(2, 2), "95.25");
  EXPECT_EQ(g.DisplayText(0, 2), "平均分");
}

}  // namespace
}  // namespace app_test
