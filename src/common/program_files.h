// Where the program's own files are: the folder of the running executable
// and the folder of its read-only files (the help pages). Run from the build
// tree both are the executable's folder; installed under a prefix (the
// executable in PREFIX/bin, its files in PREFIX/share/scorestat) the program
// folder is not the user's to write, and the data go to the XDG folders.
#pragma once

#include <string>

namespace common {

// The folder of the running executable (the current folder when /proc is
// not mounted).
std::string ProgramFolder();

// PREFIX/share/scorestat when the executable runs from PREFIX/bin and that
// folder exists; empty otherwise.
std::string InstalledShareFolder(const std::string& program_folder);

// The folder of the help pages and other read-only files: the installed
// share folder, else the program folder.
std::string ProgramFilesFolder();

}  // namespace common
