#include <QTabWidget>

#include "app/student_list_dialog.h"
#include "dialog_fixture.h"

namespace app_test {
namespace {

class StudentListDialogTest : public ExamFixture {
 protected:
  app::StudentListWindow* Open() {
    Trigger("mingdan");
    auto* dialog = FindDialog<app::StudentListWindow>("mingdanfrm");
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  // The core's report for the same choices.
  common::Result<output::Document> Expected(
      const std::function<void(reports::StudentListOptions&, data::AppState&)>& choose) {
    data::AppState probe = state;
    reports::StudentListOptions o = reports::OpenStudentListDialog(probe);
    choose(o, probe);
    return reports::RunStudentList(o, probe);
  }
};

TEST_F(StudentListDialogTest, TwoComparisonsJoinedByOrWithinOneSchool) {
  app::StudentListWindow* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  Control<QTabWidget>(dialog, "SSTab1")->setCurrentIndex(1);
  Choose(dialog, "Combo1", QStringLiteral("语文"));
  Choose(dialog, "Combo3", QStringLiteral("数学"));
  Choose(dialog, "Combo4", QStringLiteral(">="));
  Type(dialog, "Text2", QStringLiteral("90"));
  Click(dialog, "hOpt");
  Choose(dialog, "Combo7", QStringLiteral("第一中学"));
  EXPECT_EQ(Items(dialog, "Combo8").size(), 11);  // an empty item and ten classes
  Click(dialog, "Command2");
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_NE(ActiveGrid(), nullptr);

  const common::Result<output::Document> expected =
      Expected([](reports::StudentListOptions& o, data::AppState& s) {
        o.tab = 1;
        o.column1 = "语文";
        reports::ChooseSecondColumn(o, "数学");
        o.op2 = ">=";
        o.value2 = "90";
        o.use_or = true;
        reports::ChooseListSchool(o, "第一中学", s);
      });
  ASSERT_TRUE(expected.ok()) << expected.message();
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.value().grid));
  EXPECT_GT(ActiveGrid()->Rows(), 2);
  EXPECT_EQ(state.report_title, "高一年级中期考试第一中学语文>80或数学>=90的学生名单");
}

TEST_F(StudentListDialogTest, ReadyMadeListInOneClass) {
  app::StudentListWindow* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  Click(dialog, "jingjOpt7");
  Choose(dialog, "Combo7", QStringLiteral("实验中学"));
  Choose(dialog, "Combo8", QStringLiteral("高一(2)班"));
  Click(dialog, "Command2");
  ASSERT_NE(ActiveGrid(), nullptr);
  const common::Result<output::Document> expected =
      Expected([](reports::StudentListOptions& o, data::AppState& s) {
        reports::ChoosePreset(o, 7);
        reports::ChooseListSchool(o, "实验中学", s);
        o.klass = "高一(2)班";
      });
  ASSERT_TRUE(expected.ok());
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.value().grid));
  EXPECT_EQ(state.report_title, "高一年级中期考试实验中学高一(2)班全科总分前50名学生");
}

TEST_F(StudentListDialogTest, RefusalsLeaveTheDialogOpen) {
  app::StudentListWindow* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  Control<QTabWidget>(dialog, "SSTab1")->setCurrentIndex(1);

  Choose(dialog, "Combo5", QStringLiteral("主科成绩、总分、排名"));
  Choose(dialog, "Combo6", QStringLiteral("数学"));
  EXPECT_EQ(MessageTexts(), std::vector<QString>{QStringLiteral("该项已选择或包含，请重新选择！")});
  EXPECT_EQ(Control<QComboBox>(dialog, "Combo6")->currentText(), QString());
  Choose(dialog, "Combo5", QStringLiteral("物理"));
  Choose(dialog, "Combo6", QStringLiteral("物理"));
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1].text, QStringLiteral("该项已选择，请重新选择！"));

  Type(dialog, "Text1", QStringLiteral("八十"));
  Click(dialog, "Command2");
  ASSERT_EQ(services.messages.size(), 3u);
  EXPECT_EQ(services.messages[2].text, QStringLiteral("条件值不是数值，请重新输入！"));
  EXPECT_TRUE(dialog->isVisible());

  // Typed text the engine cannot take: a message, no report, the dialog open.
  Type(dialog, "Text1", QStringLiteral("80"));
  Choose(dialog, "Combo2", QStringLiteral("<>!"));
  const int windows = Window().DocumentCount();
  Click(dialog, "Command2");
  ASSERT_EQ(services.messages.size(), 4u);
  EXPECT_FALSE(services.messages[3].text.isEmpty());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Window().DocumentCount(), windows);
}

}  // namespace
}  // namespace app_test
