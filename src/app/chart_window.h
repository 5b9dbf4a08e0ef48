// A chart window (frmChart): one chart drawn to fill the window, redrawn as
// the window resizes, over a tool bar of its own (打印, 打印预览, 输出到PDF,
// 另存为图片) whose buttons run the File menu's commands. Those commands act
// on the chart window when it is the active one; the window keeps the
// chart's data and the page it prints on (title lines, page setup), which
// 页面设置 edits.
#pragma once

#include <QWidget>

#include "grid/report_grid.h"
#include "reports/chart_catalog.h"

class QChartView;

namespace app {

class MainWindow;

class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  ChartWindow(MainWindow& main, reports::ChartData data, grid::ReportGrid page);

  const reports::ChartData& data() const { return data_; }
  grid::ReportGrid& page() { return page_; }
  QChartView* view() const { return view_; }

 private:
  reports::ChartData data_;
  grid::ReportGrid page_;
  QChartView* view_;
};

// The active MDI window when it is a chart window, else nullptr.
ChartWindow* ActiveChart(const MainWindow& main);

// Opens a window for `data`, its page titled from the stored settings, and
// makes it the active one.
ChartWindow* NewChartWindow(MainWindow& main, reports::ChartData data);

// Registers one command per chart kind (fsd, xxt, ...): its options dialog,
// whose OK computes the chart and opens its window.
void RegisterChartCommands(MainWindow& main);

}  // namespace app
