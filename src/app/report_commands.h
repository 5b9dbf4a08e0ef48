// The report commands of the menus: every kind of the report catalog is
// registered under its control name (the dialog-driven ones by
// dialog_commands.cpp), plus the rank, sort and restore commands that act on
// the active report.
#pragma once

namespace app {

class MainWindow;

void RegisterReportCommands(MainWindow& window);

}  // namespace app
