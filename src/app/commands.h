// Registers every command the desktop has a function for. Report commands
// are added here, one line each, as their modules are finished.
#pragma once

namespace app {

class MainWindow;

void RegisterStandardCommands(MainWindow& window);

}  // namespace app
