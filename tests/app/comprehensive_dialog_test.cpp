#include "app/comprehensive_dialog.h"
#include "dialog_fixture.h"

namespace app_test {
namespace {

using ComprehensiveDialogTest = ExamFixture;

TEST_F(ComprehensiveDialogTest, MainTotalPerClassByRankMatchesTheCore) {
  Trigger("qkjhtj");
  auto* dialog = FindDialog<app::ComprehensiveWindow>("zhtjfrm");
  ASSERT_NE(dialog, nullptr);
  Click(dialog, "zkOptlb");
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
  EXPECT_EQ(Items(dialog, "Combo1").size(), state.subject_lines.Count());

  Click(dialog, "Check3");
  Click(dialog, "Command1");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{QStringLiteral("你没有选择单科统计的科目！")});
  EXPECT_TRUE(dialog->isVisible());

  Choose(dialog, "Combo1", QStringLiteral("数学"));
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

}  // namespace
}  // namespace app_test
