#include "app/report_options_dialog.h"

#include <QMdiArea>

#include "app/document_window.h"
#include "dialog_fixture.h"
#include "reports/score_bands.h"

namespace app_test {
namespace {

class ReportOptionsDialogTest : public ExamFixture {
 protected:
  // Report windows open now (closed ones gone).
  qsizetype OpenWindows() {
    DeletePendingWindows();
    return Window().mdiArea()->subWindowList().size();
  }
};

TEST_F(ReportOptionsDialogTest, TheDialogOffersTheDeclaredChoicesAndMakesTheReport) {
  Trigger("yfyd");
  auto* dialog = FindDialog<app::ReportOptionsWindow>("yfydfrm");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("一分一段表"));
  EXPECT_EQ(Items(dialog, "subject").size(), 9 + 2);  // the sample's subjects and the totals
  EXPECT_EQ(Control<QComboBox>(dialog, "subject")->currentText(), QStringLiteral("全科总分"));

  Choose(dialog, "subject", QStringLiteral("数学"));
  Type(dialog, "step", QStringLiteral("10"));
  Type(dialog, "school", QStringLiteral("第二中学"));
  const qsizetype windows = OpenWindows();
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_EQ(OpenWindows(), windows + 1);
  output::Document expected;
  common::NullProgress progress;
  reports::ScoreBandReport(expected, state, {"数学", 10, "第二中学"}, progress, output::Today());
  ASSERT_NE(ActiveGrid(), nullptr);
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.grid));
  EXPECT_EQ(Window().ActiveDocument()->document().title, expected.title);
}

TEST_F(ReportOptionsDialogTest, ARefusedChoiceIsAMessageAndTheDialogStays) {
  Trigger("ljs");
  auto* dialog = FindDialog<app::ReportOptionsWindow>("ljsfrm");
  ASSERT_NE(dialog, nullptr);
  const qsizetype windows = OpenWindows();
  Click(dialog, "cmdOK");  // neither a subject nor a rank
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(OpenWindows(), windows) << "no empty window is left behind";
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_TRUE(MessageTexts().back().contains(QStringLiteral("--rank")));
  Type(dialog, "rank", QStringLiteral("100"));
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Window().ActiveDocument()->document().caption,
            state.title_settings.MainTitle + "全科前100名临界生名单");
}

}  // namespace
}  // namespace app_test
