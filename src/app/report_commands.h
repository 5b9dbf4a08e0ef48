// The report commands of the menus, each a call into src/reports on a new
// report window. One line per command; add the rest here as they come.
#pragma once

namespace app {

class MainWindow;

void RegisterReportCommands(MainWindow& window);

}  // namespace app
