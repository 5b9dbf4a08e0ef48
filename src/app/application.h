// The start sequence: splash window, main window loaded, splash closed, main
// window shown. main.cpp only calls RunApplication.
#pragma once

namespace app {

// Command line: [--db PATH]. Returns the exit status.
int RunApplication(int argc, char** argv);

// The interface font: a CJK sans face, so that every Chinese text shows.
void UseInterfaceFont();

}  // namespace app
