#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "app/options_dialog.h"
#include "app/qt_convert.h"
#include "dialog_fixture.h"
#include "engine/database.h"
#include "reports/custom_ranking.h"

namespace app_test {
namespace {

using OptionsDialogTest = ExamFixture;

QStringList VisibleTabs(QWidget* dialog) {
  auto* tabs = Control<QTabWidget>(dialog, "SSTab1");
  QStringList shown;
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->isTabVisible(i)) shown << tabs->tabText(i);
  return shown;
}

QString CurrentTab(QWidget* dialog) {
  auto* tabs = Control<QTabWidget>(dialog, "SSTab1");
  return tabs->tabText(tabs->currentIndex());
}

std::string StoredWeight(const data::AppState& state, const char* item) {
  engine::Database db = engine::Database::Open(state.database_path);
  engine::Recordset rs =
      db.OpenRecordset(std::string("select 数值 from xtsztable where 项目='") + item + "'");
  return rs.FieldValue(0).AsText(rs.FieldTypeOf(0));
}

TEST_F(OptionsDialogTest, WeightsNotAddingUpTo100AreStoredOnlyAfterYes) {
  Trigger("syssz");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("设置"));
  EXPECT_EQ(VisibleTabs(dialog), QStringList{QStringLiteral("分数段设置")});
  EXPECT_FALSE(Control<QPushButton>(dialog, "cmdApply")->isVisible());
  EXPECT_FALSE(Control<QPushButton>(dialog, "Comzhj")->isVisible());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("40"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text6")->text(), QStringLiteral("20"));
  // The summary is the one the dialog's loading computes from the database.
  data::AppState probe = state;
  const settings::OptionsModel loaded =
      settings::LoadOptionsModel(probe, nullptr, settings::OptionsMode::kSegments);
  EXPECT_EQ(app::Std(Control<QLabel>(dialog, "zfLab")->text()), loaded.all_total_label);
  EXPECT_EQ(app::Std(Control<QLabel>(dialog, "zkzflab")->text()), loaded.main_total_label);
  EXPECT_TRUE(Control<QLabel>(dialog, "zfLab")
                  ->text()
                  .startsWith(QStringLiteral("全科总分满分 1000 最高分 ")));

  std::vector<std::pair<std::string, std::string>> asked;
  bool answer = false;
  dialog->SetQuestion([&](const std::string& text, const std::string& title) {
    asked.emplace_back(text, title);
    return answer;
  });
  Type(dialog, "Text4", QStringLiteral("10"));
  Type(dialog, "Text5", QStringLiteral("15"));
  Click(dialog, "cmdOK");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, "计算综合分的四项之和不是100%，要这样设置吗？");
  EXPECT_EQ(asked[0].second, "提示");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(StoredWeight(state, "及格"), "20");
  EXPECT_EQ(StoredWeight(state, "单科段"), "20");

  answer = true;
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(StoredWeight(state, "及格"), "10");
  EXPECT_EQ(StoredWeight(state, "单科段"), "15");
}

TEST_F(OptionsDialogTest, TitlesAreStoredIntactAndUsedAtOnce) {
  Trigger("qtsz");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(VisibleTabs(dialog), QStringList{QStringLiteral("其它设置")});
  EXPECT_EQ(Control<QLineEdit>(dialog, "zbtTex")->text(), QStringLiteral("高一年级中期考试"));
  EXPECT_TRUE(Control<QCheckBox>(dialog, "Check1")->text().startsWith(QLatin1Char('+')));
  Type(dialog, "zbtTex", QStringLiteral("高一'期末考试"));
  Type(dialog, "frightTex", QStringLiteral("2024年"));
  Control<QCheckBox>(dialog, "Check1")->setChecked(true);
  // The letters' trend is on until the user turns it off; stored as its
  // negation, so that a database without the row draws it.
  auto* trend = Control<QCheckBox>(dialog, "chkQsh");
  EXPECT_TRUE(trend->isChecked());
  trend->setChecked(false);
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(state.title_settings.MainTitle, "高一'期末考试");
  EXPECT_EQ(state.title_settings.RightSubtitle, "2024年");
  EXPECT_EQ(state.title_settings.ShowDate, "1");
  EXPECT_EQ(state.privacy.letter_trend, data::LetterTrend::kOff);
  EXPECT_EQ(StoredWeight(state, "告知书不画趋势"), "1");
}

TEST_F(OptionsDialogTest, ImportEndsInTheTitlesWithTheSegmentsSelectableToo) {
  services.file_to_open = QStringLiteral(SCORESTAT_SOURCE_DIR "/examples/sample.xlsx");
  Trigger("cjjs");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(CurrentTab(dialog), QStringLiteral("其它设置"));
  EXPECT_EQ(VisibleTabs(dialog),
            (QStringList{QStringLiteral("分数段设置"), QStringLiteral("其它设置")}));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text5")->text(), QStringLiteral("20"));
  // OK stores the page that is selected.
  Control<QTabWidget>(dialog, "SSTab1")->setCurrentIndex(2);
  Type(dialog, "Text6", QStringLiteral("30"));
  Click(dialog, "cmdOK");
  EXPECT_EQ(StoredWeight(state, "总分段"), "30");
}

// The totals grid as the dialog shows it.
struct TotalsRowShown {
  QString subject;
  bool in_total, right_of;
};
std::vector<TotalsRowShown> TotalsShown(QWidget* dialog) {
  auto* grid = Control<QTableWidget>(dialog, "Grid1_0");
  std::vector<TotalsRowShown> rows;
  for (int r = 0; r < grid->rowCount(); ++r)
    rows.push_back({grid->item(r, 0)->text(), grid->item(r, 1)->checkState() == Qt::Checked,
                    grid->item(r, 3)->checkState() == Qt::Checked});
  return rows;
}

TEST_F(OptionsDialogTest, CustomTotalActsOnTheListingLikeTheCore) {
  Trigger("zdyzf");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(ActiveGrid(), nullptr);
  EXPECT_EQ(VisibleTabs(dialog), QStringList{QStringLiteral("1.合计设置")});
  EXPECT_TRUE(Control<QPushButton>(dialog, "cmdApply")->isVisible());
  EXPECT_EQ(Control<QComboBox>(dialog, "Combo1")->currentText(), QStringLiteral("总分"));
  std::vector<TotalsRowShown> rows = TotalsShown(dialog);
  ASSERT_GE(rows.size(), 9u);
  EXPECT_EQ(rows[0].subject, QStringLiteral("语文"));
  for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r].right_of, r + 1 == rows.size()) << r;

  // 语文 + 数学 x 50 %, right of 数学, as 语数.
  auto* grid = Control<QTableWidget>(dialog, "Grid1_0");
  grid->item(2, 3)->setCheckState(Qt::Checked);
  grid->item(1, 3)->setCheckState(Qt::Checked);
  grid->item(1, 3)->setCheckState(Qt::Unchecked);  // a tick cannot be taken away, only moved
  for (int r = 2; r < grid->rowCount(); ++r) grid->item(r, 1)->setCheckState(Qt::Unchecked);
  qobject_cast<QComboBox*>(grid->cellWidget(1, 2))->setCurrentText(QStringLiteral("50"));
  Control<QComboBox>(dialog, "Combo1")->setEditText(QStringLiteral("语数"));
  rows = TotalsShown(dialog);
  for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r].right_of, r == 1) << r;
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());

  data::AppState probe = state;
  output::Document expected = reports::CustomTotalListing(probe);
  reports::TotalsPage page =
      reports::BuildTotalsPage(expected.grid, probe.subject_lines.FirstSubjectCol);
  for (size_t r = 2; r < page.rows.size(); ++r) page.rows[r].in_total = false;
  page.rows[1].percent = "50";
  reports::TickRightOf(page, 1);
  page.column_name = "语数";
  common::NullProgress progress;
  reports::ApplyCustomTotal(expected.grid, probe.subject_lines.FirstSubjectCol, page, progress);
  ASSERT_NE(ActiveGrid(), nullptr);
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.grid));
}

TEST_F(OptionsDialogTest, NextStepRanksInsteadAndRetotalGoesBack) {
  Trigger("zdyzf");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  Click(dialog, "cmdApply");
  EXPECT_EQ(CurrentTab(dialog), QStringLiteral("2.排名设置"));
  EXPECT_EQ(VisibleTabs(dialog),
            (QStringList{QStringLiteral("1.合计设置"), QStringLiteral("2.排名设置")}));
  EXPECT_TRUE(Control<QPushButton>(dialog, "Comzhj")->isVisible());
  EXPECT_FALSE(Control<QPushButton>(dialog, "cmdApply")->isEnabled());
  Click(dialog, "Comzhj");
  EXPECT_EQ(CurrentTab(dialog), QStringLiteral("1.合计设置"));
  EXPECT_FALSE(Control<QPushButton>(dialog, "Comzhj")->isVisible());
  EXPECT_TRUE(Control<QPushButton>(dialog, "cmdApply")->isEnabled());
  Click(dialog, "cmdApply");

  // 数学 ranked within the class, mode 2.
  auto* grid = Control<QTableWidget>(dialog, "Grid1_1");
  ASSERT_GT(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("数学"));
  grid->item(1, 3)->setCheckState(Qt::Checked);
  qobject_cast<QComboBox*>(grid->cellWidget(1, 4))->setCurrentText(QStringLiteral("2"));
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog->isVisible());

  data::AppState probe = state;
  output::Document expected = reports::CustomTotalListing(probe);
  auto rows = reports::BuildRankingPage(expected.grid, probe.subject_lines.FirstSubjectCol);
  rows[1].klass = true;
  rows[1].mode = "2";
  common::NullProgress progress;
  reports::ApplyRanking(expected, probe, rows, progress);
  ASSERT_NE(ActiveGrid(), nullptr);
  EXPECT_EQ(Cells(*ActiveGrid()), Cells(expected.grid));
}

TEST_F(OptionsDialogTest, OkOnTheRankingPageWithoutAReportSaysSo) {
  Trigger("zdypm1");
  auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(VisibleTabs(dialog), QStringList{QStringLiteral("2.排名设置")});
  Window().mdiArea()->closeAllSubWindows();
  DeletePendingWindows();
  ASSERT_EQ(Window().ActiveDocument(), nullptr);
  services.messages.clear();
  Click(dialog, "cmdOK");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("没有打开的成绩报表窗口")));
  EXPECT_TRUE(dialog->isVisible());
  Click(dialog, "cmdCancel");
  EXPECT_FALSE(dialog->isVisible());
}

// The bar under the pages follows a total or a ranking worked out over the
// report; the settings and titles pages work nothing out at length, and
// there it showed as a thin empty frame under the last group box.
TEST_F(OptionsDialogTest, TheProgressBarShowsOnlyWhereTheOkButtonComputes) {
  const struct {
    const char* command;
    bool bar;
  } cases[] = {{"qtsz", false}, {"syssz", false}, {"zdyzf", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    Trigger(c.command);
    auto* dialog = FindDialog<app::OptionsDialog>("frmOptions");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Control<QProgressBar>(dialog, "ProgressBar1")->isVisible(), c.bar);
    if (c.bar) {
      Click(dialog, "cmdApply");  // on to 2.排名设置, which ranks over the report
      EXPECT_TRUE(Control<QProgressBar>(dialog, "ProgressBar1")->isVisible());
    }
    dialog->close();
  }
}

}  // namespace
}  // namespace app_test
