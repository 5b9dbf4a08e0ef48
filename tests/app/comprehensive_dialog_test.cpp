#include <QCheckBox>
#include <QRadioButton>

#include "app/comprehensive_dialog.h"
#include "dialog_fixture.h"

namespace app_test {
namespace {

using ComprehensiveDialogTest = ExamFixture;

bool Checked(QWidget* dialog, const char* name) {
  return Control<QAbstractButton>(dialog, name)->isChecked();
}

TEST_F(ComprehensiveDialogTest, MainTotalPerClassByRankMatchesTheCore) {
  Trigger("qkjhtj");
  auto* dialog = FindDialog<app::ComprehensiveWindow>("zhtjfrm");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("综合统计"));
  EXPECT_FALSE(dialog->isModal());
  // Opening selects 全科, 分 and 全部.
  EXPECT_TRUE(Checked(dialog, "qkOptlb"));
  EXPECT_TRUE(Checked(dialog, "fOpt"));
  EXPECT_TRUE(Checked(dialog, "qbOptfw"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("450"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text4")->text(), QStringLiteral("300"));
  EXPECT_FALSE(Control<QComboBox>(dialog, "Combo1")->isVisible());
  EXPECT_TRUE(Control<QCheckBox>(dialog, "Check3")
                  ->text()
                  .startsWith(QStringLiteral("全科总分分段(最高分 ")));

  Click(dialog, "zkOptlb");
  EXPECT_TRUE(Control<QCheckBox>(dialog, "Check3")
                  ->text()
                  .startsWith(QStringLiteral("主科总分分段(最高分 ")));
  EXPECT_EQ(Control<QCheckBox>(dialog, "Check4")->text(), QStringLiteral("总分前N名/N分以上"));
  Click(dialog, "mOpt");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text2")->text(), QStringLiteral("20"));
  for (const char* check : {"Check1", "Check2", "Check3", "Check4"}) Click(dialog, check);
  Click(dialog, "gbOptfw");
  Click(dialog, "Command1");
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_NE(ActiveGrid(), nullptr);

  data::AppState probe = state;
  reports::ComprehensiveOptions o = reports::OpenComprehensiveDialog(probe);
  reports::ChooseCategory(o, reports::StatCategory::kMain, probe);
  reports::ChooseRanks(o);
  o.check1 = o.check2 = o.check3 = o.check4 = true;
  o.range = reports::StatRange::kClass;
  common::Result<output::Document> expected = reports::RunComprehensive(o, probe);
  ASSERT_TRUE(expected.ok());
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.value().grid));
  EXPECT_EQ(Window().ActiveDocument()->document().caption, expected.value().caption);
  EXPECT_EQ(ActiveGrid()->CellText(1, 1), "合计");
}

TEST_F(ComprehensiveDialogTest, OneSubjectAndTheThreeRefusals) {
  Trigger("qkjhtj");
  auto* dialog = FindDialog<app::ComprehensiveWindow>("zhtjfrm");
  ASSERT_NE(dialog, nullptr);
  Click(dialog, "dkOptlb");
  EXPECT_TRUE(Control<QComboBox>(dialog, "Combo1")->isVisible());
  EXPECT_EQ(Items(dialog, "Combo1").size(), state.subject_lines.Count());
  EXPECT_FALSE(Control<QCheckBox>(dialog, "Check1")->isEnabled());
  EXPECT_FALSE(Control<QCheckBox>(dialog, "Check2")->isEnabled());
  EXPECT_FALSE(Control<QRadioButton>(dialog, "mOpt")->isEnabled());
  EXPECT_EQ(Control<QCheckBox>(dialog, "Check3")->text(), QStringLiteral("单科分段"));
  EXPECT_EQ(Control<QCheckBox>(dialog, "Check4")->text(), QStringLiteral("单科N分以上"));

  Click(dialog, "Check3");
  Click(dialog, "Command1");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{QStringLiteral("你没有选择单科统计的科目！")});
  EXPECT_TRUE(dialog->isVisible());

  Choose(dialog, "Combo1", QStringLiteral("数学"));
  EXPECT_TRUE(
      Control<QCheckBox>(dialog, "Check3")->text().startsWith(QStringLiteral("数学分段(最高分 ")));
  Click(dialog, "Check3");  // nothing left to count
  Click(dialog, "Command1");
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1].text, QStringLiteral("你没有选择统计项目！"));

  Click(dialog, "Check4");
  Type(dialog, "Text3", QString());
  Click(dialog, "Command1");
  ASSERT_EQ(services.messages.size(), 3u);
  EXPECT_EQ(services.messages[2].text, QStringLiteral("请填全前N分/名数值！"));
  EXPECT_TRUE(dialog->isVisible());

  Type(dialog, "Text3", QStringLiteral("120"));
  Click(dialog, "gxOptfw");
  Click(dialog, "Command1");
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_NE(ActiveGrid(), nullptr);
  EXPECT_EQ(ActiveGrid()->CellText(0, 1), "学校");
  EXPECT_NE(Window().ActiveDocument()->document().caption.find("各校数学统计"), std::string::npos);
}

TEST_F(ComprehensiveDialogTest, OpeningAgainRaisesTheSameDialog) {
  Trigger("qkjhtj");
  auto* first = FindDialog<app::ComprehensiveWindow>("zhtjfrm");
  Click(first, "zkOptlb");
  Trigger("qkjhtj");
  EXPECT_EQ(FindDialog<app::ComprehensiveWindow>("zhtjfrm"), first);
  EXPECT_TRUE(Checked(first, "zkOptlb"));
  Click(first, "Command2");
  EXPECT_FALSE(first->isVisible());
  Trigger("qkjhtj");  // a closed one is not brought back
  auto* second = FindDialog<app::ComprehensiveWindow>("zhtjfrm");
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->isVisible());
  EXPECT_TRUE(Checked(second, "qkOptlb"));
}

}  // namespace
}  // namespace app_test
