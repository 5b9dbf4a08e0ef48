// The report commands of the menus: every kind of the report catalog is
// registered under its control name (the dialog-driven ones by
// dialog_commands.cpp), plus the rank, sort and restore commands that act on
// the active report.
#pragma once

#include "reports/report_catalog.h"

namespace app {

class MainWindow;

void RegisterReportCommands(MainWindow& window);

// Makes `kind` with `choices` in a new report window, with the progress
// window when the kind reports its progress. When the kind refuses the
// choices the new window is closed again and the error passed on.
void MakeInNewWindow(MainWindow& window, const reports::ReportKind& kind,
                     const reports::ReportChoices& choices);

}  // namespace app
