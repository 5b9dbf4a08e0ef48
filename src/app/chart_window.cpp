#include "app/chart_window.h"

#include <QChartView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QVBoxLayout>
#include <optional>

#include "app/main_window.h"
#include "app/mdi_arrange.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/report_options_dialog.h"
#include "charts/chart_builder.h"
#include "charts/chart_output.h"

namespace app {
namespace {

// The tool bar's buttons: objectName, caption, the File menu command run.
struct ChartButton {
  const char* name;
  const char* caption;
  const char* command;
};
constexpr ChartButton kButtons[] = {
    {"cmdChartPrint", "打印", "mnuDirectPrint"},
    {"cmdChartPreview", "打印预览", "mnuPrintPreview"},
    {"cmdChartPdf", "输出到PDF", "mnuExportPdf"},
    {"cmdChartImage", "另存为图片", "mnuSaveImage"},
};

}  // namespace

ChartWindow::ChartWindow(MainWindow& main, reports::ChartData data, grid::ReportGrid page)
    : data_(std::move(data)), page_(std::move(page)), view_(new QChartView(this)) {
  setObjectName(QStringLiteral("frmChart"));
  setWindowTitle(Qs(data_.title));
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("ChartToolbar"));
  for (const ChartButton& b : kButtons) {
    QAction* action = bar->addAction(Qs(b.caption));
    action->setObjectName(QString::fromLatin1(b.name));
    const QString command = QString::fromLatin1(b.command);
    connect(action, &QAction::triggered, &main, [&main, command] { main.RunCommand(command); });
  }
  view_->setObjectName(QStringLiteral("ChartView"));
  view_->setChart(charts::BuildChart(data_));  // the view owns it
  view_->setRenderHint(QPainter::Antialiasing);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(view_, 1);
}

ChartWindow* ActiveChart(const MainWindow& main) {
  QMdiSubWindow* sub = main.mdiArea()->currentSubWindow();
  if (sub == nullptr) sub = main.mdiArea()->activeSubWindow();
  return sub ? qobject_cast<ChartWindow*>(sub->widget()) : nullptr;
}

ChartWindow* NewChartWindow(MainWindow& main, reports::ChartData data) {
  grid::ReportGrid page = charts::ChartPage(data, main.state().title_settings, output::Today());
  auto* window = new ChartWindow(main, std::move(data), std::move(page));
  QMdiArea* mdi = main.mdiArea();
  QMdiSubWindow* sub = mdi->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->setGeometry(
      CascadeSlot(mdi->viewport()->rect(), static_cast<int>(mdi->subWindowList().size()) - 1));
  sub->show();
  mdi->setActiveSubWindow(sub);
  return window;
}

void RegisterChartCommands(MainWindow& main) {
  for (const reports::ChartKind& kind : reports::ChartCatalog()) {
    main.commands().Register(QString::fromLatin1(kind.control_name), [&main, &kind] {
      OpenOptions(main, kind.control_name, kind.caption, kind.options,
                  [&main, &kind](const reports::ReportChoices& choices) {
                    // Reading a province's exam takes a while: show it.
                    ProgressWindow progress(&main);
                    progress.Start(100);
                    reports::ReportRun run{main.state(), progress, output::Today()};
                    NewChartWindow(main, kind.make(run, choices));
                  });
    });
  }
}

}  // namespace app
