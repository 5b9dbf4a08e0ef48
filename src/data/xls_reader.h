// Reader of Excel 97-2003 workbooks (.xls, BIFF up to 8) through FreeXL.
#pragma once

#include <string>

#include "data/workbook.h"

namespace data {

// Reads the sheets `options` asks for. Integers and doubles become numbers;
// dates and times become serial day numbers (FreeXL hands them over as text).
// Throws WorkbookError; a password-protected file is WorkbookError::kPassword.
Workbook ReadXls(const std::string& path, const ReadOptions& options = {});

}  // namespace data
