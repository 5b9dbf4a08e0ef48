// The catalog of chart kinds, declared like the report kinds (the same
// option declarations), read by the desktop's 图表 menu and its options
// dialog, the command-line tool's `chart` and its `--help`, and `report all
// --charts`. A kind computes its ChartData; drawing it is the chart module's.
#pragma once

#include <span>
#include <string_view>

#include "reports/chart_data.h"
#include "reports/report_catalog.h"

namespace reports {

struct ChartKind {
  const char* control_name;  // the menu command's objectName and the CLI's kind: "fsd"
  const char* caption;       // the menu caption: "分数段分布图"
  const char* description;   // one line of `chart --help`
  std::span<const ReportOption> options;
  // Reads the current exam and computes the chart. Throws ReportError with
  // the user's message when a choice cannot be met.
  ChartData (*make)(ReportRun& run, const ReportChoices& choices);
};

std::span<const ChartKind> ChartCatalog();
// nullptr when no kind has this control name.
const ChartKind* FindChartKind(std::string_view control_name);

}  // namespace reports
