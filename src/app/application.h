// The start sequence: splash window, main window loaded, splash closed, main
// window shown. main.cpp only calls RunApplication.
#pragma once

#include <QTranslator>
#include <memory>

namespace app {

// Command line: [--db PATH]. Returns the exit status.
int RunApplication(int argc, char** argv);

// The interface font: a CJK sans face, so that every Chinese text shows.
void UseInterfaceFont();

// Qt's own texts (file dialog, message-box buttons, print preview) in
// Chinese whatever the system locale; null when the translations are not
// installed. The caller installs it and keeps it alive.
std::unique_ptr<QTranslator> ChineseQtTranslator();

// Everything Qt shows by itself in Chinese: its texts (through
// ChineseQtTranslator, kept for the rest of the program) and the dates and
// numbers it formats, whatever the system's locale. False when the
// translations are not installed.
bool UseChineseForQt();

}  // namespace app
