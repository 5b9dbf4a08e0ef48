// Reading an .xls in a child process, so that a crash inside the .xls
// library on a damaged file becomes a message instead of the end of the
// program.
#pragma once

#include <functional>
#include <string>

#include "data/workbook.h"

namespace data {

// ReadXls in a forked child; the workbook comes back through a pipe. A child
// that dies or answers incompletely gives WorkbookError::kCorrupt; the
// child's own WorkbookError is passed on unchanged.
Workbook ReadXlsIsolated(const std::string& path, const ReadOptions& options);

// The same for any reading of the workbook at `path` (named in messages).
Workbook ReadIsolated(const std::function<Workbook()>& read, const std::string& path);

}  // namespace data
