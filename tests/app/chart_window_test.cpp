// The 图表 menu as a user meets it: the options dialog of each chart kind, the
// chart window that follows, and the File menu's commands acting on it.
#include <QBoxPlotSeries>
#include <QChartView>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QToolBar>

#include "app/chart_window.h"
#include "app/page_setup_dialog.h"
#include "app/report_options_dialog.h"
#include "dialog_fixture.h"
#include "print_fixture.h"
#include "reports/chart_catalog.h"

namespace app_test {
namespace {

class ChartWindowTest : public PrintHooked<ExamFixture> {
 protected:
  ChartWindowTest() {
    on_dialog = [this](QDialog& dialog) { shown.push_back(dialog.metaObject()->className()); };
  }
  // Asks for `kind` through its dialog with `subject` chosen.
  app::ChartWindow* MakeChart(const char* kind, const QString& subject) {
    Win();
    Trigger(kind);
    auto* dialog = FindDialog<app::ReportOptionsWindow>((std::string(kind) + "frm").c_str());
    if (dialog == nullptr) return nullptr;
    Choose(dialog, "subject", subject);
    Click(dialog, "cmdOK");
    return app::ActiveChart(Win());
  }
  static QByteArray Head(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(5) : QByteArray();
  }

  std::vector<QString> shown;
};

TEST_F(ChartWindowTest, TheChartMenuFollowsTheAnalysisReportsWithTheCatalogsCaptions) {
  auto* menu = Win().findChild<QMenu*>(QStringLiteral("tbbb"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), QStringLiteral("图表"));
  QStringList captions;
  for (QAction* a : menu->actions()) captions << a->text();
  EXPECT_EQ(captions, (QStringList{QStringLiteral("分数段分布图"), QStringLiteral("各班箱线图"),
                                   QStringLiteral("各班对比图"), QStringLiteral("一分一段曲线"),
                                   QStringLiteral("成绩趋势图")}));
  auto* reports_menu = Win().findChild<QMenu*>(QStringLiteral("mnuReports"));
  ASSERT_NE(reports_menu, nullptr);
  EXPECT_EQ(reports_menu->actions().back()->menu(), menu) << "the last item of 统计报表";
}

TEST_F(ChartWindowTest, OKOpensAWindowWhoseChartFollowsItsSize) {
  app::ChartWindow* chart = MakeChart("xxt", QStringLiteral("语文"));
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->windowTitle(), QString::fromStdString(chart->data().title));
  EXPECT_TRUE(chart->windowTitle().endsWith(QStringLiteral("各班语文箱线图")));
  // One box per class of the sample.
  const QList<QAbstractSeries*> series = chart->view()->chart()->series();
  ASSERT_FALSE(series.isEmpty());
  auto* boxes = qobject_cast<QBoxPlotSeries*>(series.front());
  ASSERT_NE(boxes, nullptr);
  EXPECT_EQ(boxes->count(), static_cast<int>(chart->data().categories.size()));
  EXPECT_GT(boxes->count(), 1);

  QMdiSubWindow* sub = Win().mdiArea()->activeSubWindow();
  sub->resize(900, 600);
  QCoreApplication::processEvents();
  const QSizeF small = chart->view()->chart()->size();
  sub->resize(1200, 800);
  QCoreApplication::processEvents();
  EXPECT_GT(chart->view()->chart()->size().width(), small.width() + 200);
  for (const char* button : {"cmdChartPrint", "cmdChartPreview", "cmdChartPdf", "cmdChartImage"})
    EXPECT_NE(chart->findChild<QAction*>(QString::fromLatin1(button)), nullptr) << button;
}

TEST_F(ChartWindowTest, FileCommandsActOnTheActiveChart) {
  app::ChartWindow* chart = MakeChart("fsd", QStringLiteral("数学"));
  ASSERT_NE(chart, nullptr);

  services.file_to_save = Path("chart");  // no ending: the format's own
  Win().RunCommand(QStringLiteral("mnuExportPdf"));
  EXPECT_EQ(Head(Path("chart.pdf")), QByteArray("%PDF-"));
  Win().RunCommand(QStringLiteral("mnuSaveImage"));
  EXPECT_TRUE(services.last_save_filter.contains(QStringLiteral("*.svg")));
  EXPECT_EQ(Head(Path("chart.png")).mid(1, 3), QByteArray("PNG"));
  services.file_to_save = Path("chart.svg");
  chart->findChild<QAction*>(QStringLiteral("cmdChartImage"))->trigger();
  EXPECT_EQ(Head(Path("chart.svg")), QByteArray("<?xml"));

  Win().RunCommand(QStringLiteral("mnuFilePageSetup"));
  Win().RunCommand(QStringLiteral("mnuPrintPreview"));
  EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("app::PageSetupDialog"),
                                         QStringLiteral("QPrintPreviewDialog")}));
  // 打印 on a printer that writes a PDF.
  printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(Path("printed.pdf"));
  Win().RunCommand(QStringLiteral("mnuDirectPrint"));
  EXPECT_EQ(Head(Path("printed.pdf")), QByteArray("%PDF-"));
  EXPECT_TRUE(MessageTexts().size() == 3) << "输出成功 after each file";
}

// The main tool bar's 打印 and 打印预览 take the same path as the File menu's,
// so they print the chart; 剪切 has nothing to cut there and stays quiet.
TEST_F(ChartWindowTest, TheMainToolBarPrintsTheActiveChart) {
  ASSERT_NE(MakeChart("xxt", QStringLiteral("语文")), nullptr);
  printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(Path("toolbar.pdf"));
  Win().ToolbarClick(3);  // 打印
  EXPECT_EQ(Head(Path("toolbar.pdf")), QByteArray("%PDF-"));
  Win().ToolbarClick(4);  // 打印预览
  EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("QPrintPreviewDialog")}));
  Win().ToolbarClick(5);  // 剪切
  EXPECT_TRUE(MessageTexts().empty());
}

// The sample is the library's only exam: the trend window opens and says
// why there is no line, in the chart itself.
TEST_F(ChartWindowTest, ATrendOfOneExamSaysWhyInTheWindow) {
  Win();
  Trigger("qst");
  auto* dialog = FindDialog<app::ReportOptionsWindow>("qstfrm");
  ASSERT_NE(dialog, nullptr);
  Type(dialog, "student", QStringLiteral("20240001"));
  Click(dialog, "cmdOK");
  app::ChartWindow* chart = app::ActiveChart(Win());
  ASSERT_NE(chart, nullptr) << (MessageTexts().empty() ? "" : MessageTexts().back().toStdString());
  EXPECT_TRUE(chart->windowTitle().endsWith(QStringLiteral("成绩趋势图")));
  QStringList texts;
  for (QGraphicsItem* item : chart->view()->chart()->childItems())
    if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) texts << text->text();
  EXPECT_EQ(texts, QStringList{
                       QStringLiteral("考试库中只有一次考试，至少要有两次考试才能画出成绩趋势。")});
}

TEST_F(ChartWindowTest, ARefusedChoiceIsAMessageAndNoWindow) {
  Win();
  Trigger("bjzt");
  auto* dialog = FindDialog<app::ReportOptionsWindow>("bjztfrm");
  ASSERT_NE(dialog, nullptr);
  Choose(dialog, "measure", QStringLiteral("优秀率"));  // of 全科总分
  Click(dialog, "cmdOK");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(app::ActiveChart(Win()), nullptr);
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_TRUE(MessageTexts().back().contains(QStringLiteral("只能比较平均分")));
}

}  // namespace
}  // namespace app_test
