// What `scorestat [--db PATH] [FILE...]` is given, and opening those files
// once the main window is up: the file manager's "open with" lands here.
#pragma once

#include <QString>
#include <QStringList>

namespace app {

class MainWindow;

struct ProgramArguments {
  QString database;  // --db PATH or --db=PATH; empty for the default
  QStringList files;
};

// `args` as QCoreApplication::arguments() gives them, the program first.
// Other options are ignored (Qt has taken its own already).
ProgramArguments ParseProgramArguments(const QStringList& args);

// Workbooks (.xls, .xlsx, .ods) are offered for one import together; any
// other file is opened as a grid file in a report window of its own, a file
// that cannot be read being refused with a message.
void OpenArgumentFiles(MainWindow& window, const QStringList& files);

}  // namespace app
