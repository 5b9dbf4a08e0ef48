// Turning computed chart data into a Qt chart. Every output (the desktop's
// window, PNG, SVG, PDF, the printer) draws the chart this builds, so it
// looks the same everywhere: the program's Chinese faces, and series told
// apart by fill pattern, line style and marker shape as well as by colour,
// so that a black-and-white copy still reads.
#pragma once

#include <QChart>

#include "reports/chart_data.h"

namespace charts {

// A new chart (the caller owns it, or hands it to a QChartView or scene).
// `with_title` false leaves the title to the printed page's title lines.
QChart* BuildChart(const reports::ChartData& data, bool with_title = true);

}  // namespace charts
