// Faults found by working through the program as a new user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/application.h"
#include "app_fixture.h"
#include "dialog_fixture.h"
#include "grid/text_measurer.h"
#include "reports/student_list.h"

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

using WalkthroughExamTest = ExamFixture;

// The list of 语文>80 或 数学>=90 showed 高一(10)班 and the longer names
// squeezed and cut at a number column's width.
TEST_F(WalkthroughExamTest, StudentListShowsWholeClassesAndNames) {
  reports::StudentListOptions o = reports::OpenStudentListDialog(state);
  o.tab = 1;
  o.column1 = "语文";
  reports::ChooseSecondColumn(o, "数学");
  o.op2 = ">=";
  o.value2 = "90";
  o.use_or = true;
  reports::ChooseListSchool(o, "第一中学", state);
  const common::Result<output::Document> list = reports::RunStudentList(o, state);
  ASSERT_TRUE(list.ok()) << list.message();
  const grid::ReportGrid& g = list.value().grid;
  const grid::EstimatingMeasurer measure;
  int checked = 0;
  for (int c = 1; c < g.Cols(); ++c) {
    if (g.CellText(0, c) != "班级" && g.CellText(0, c) != "姓名") continue;
    ++checked;
    for (int r = 1; r < g.Rows(); ++r) {
      ASSERT_GE(g.ColWidth(c), measure.TextWidth(g.CellText(r, c), g.CellFont(r, c)))
          << g.CellText(r, c);
    }
  }
  EXPECT_EQ(checked, 2);
}

}  // namespace
}  // namespace app_test
