// The 图表 menu as a user meets it: the options dialog of each chart kind, the
// chart window that follows, and the File menu's commands acting on it.
#include <QBoxPlotSeries>
#include <QChartView>
#include <QFile>
#include <QMdiArea>
#include <QPrinter>

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
};

TEST_F(ChartWindowTest, OKOpensAWindowWithOneBoxPerClass) {
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

  // 打印 on a printer that writes a PDF.
  printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(Path("printed.pdf"));
  Win().RunCommand(QStringLiteral("mnuDirectPrint"));
  EXPECT_EQ(Head(Path("printed.pdf")), QByteArray("%PDF-"));
  EXPECT_TRUE(MessageTexts().size() == 3) << "输出成功 after each file";
}

}  // namespace
}  // namespace app_test
