#include "app/filter_dialog.h"
#include "dialog_fixture.h"

namespace app_test {
namespace {

using FilterDialogTest = ExamFixture;

TEST_F(FilterDialogTest, OneClassOfTheScoreTableInANewWindow) {
  Trigger("cj");
  const grid::ReportGrid* source = ActiveGrid();
  ASSERT_NE(source, nullptr);
  const grid::ReportGrid source_copy = *source;
  Trigger("shaixwan");
  auto* dialog = FindDialog<app::FilterWindow>("frmshaixuan");
  ASSERT_NE(dialog, nullptr);
  const QStringList schools = Items(dialog, "Combo1");
  EXPECT_EQ(schools.size(), 3);
  EXPECT_TRUE(schools.contains(QStringLiteral("第二中学")));

  Choose(dialog, "Combo1", QStringLiteral("第二中学"));
  const QStringList classes = Items(dialog, "Combo2");
  ASSERT_EQ(classes.size(), 11);
  EXPECT_EQ(classes.front(), QString());
  Choose(dialog, "Combo2", QStringLiteral("高一(3)班"));
  const int windows = Window().DocumentCount();
  Click(dialog, "Command1");
  EXPECT_EQ(Window().DocumentCount(), windows + 1);
  ASSERT_NE(ActiveGrid(), nullptr);

  reports::FilterOptions o = reports::OpenFilterDialog(source_copy);
  reports::ChooseFilterSchool(o, source_copy, "第二中学");
  o.klass = "高一(3)班";
  const std::optional<output::Document> expected = reports::RunFilter(o, source_copy, state);
  ASSERT_TRUE(expected);
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected->grid));
  EXPECT_EQ(ActiveGrid()->Rows(), 1 + 50);  // the headers and the class's 50 students
  EXPECT_EQ(Window().ActiveDocument()->document().title, "第二中学高一(3)班成绩表");
}

TEST_F(FilterDialogTest, NothingToCopyOpensNothing) {
  Trigger("shaixwan");  // no report window: empty lists
  auto* dialog = FindDialog<app::FilterWindow>("frmshaixuan");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Items(dialog, "Combo1").isEmpty());
  Click(dialog, "Command1");
  EXPECT_EQ(Window().ActiveDocument(), nullptr);

  // A report without a 学校 column has no school to offer either.
  NewReport(5, 4)->grid().SetCellText(0, 1, "姓名");
  Trigger("shaixwan");
  dialog = FindDialog<app::FilterWindow>("frmshaixuan");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Items(dialog, "Combo1").isEmpty());
  const int windows = Window().DocumentCount();
  Click(dialog, "Command1");
  EXPECT_EQ(Window().DocumentCount(), windows);
}

}  // namespace
}  // namespace app_test
