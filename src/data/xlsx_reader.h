// Reader of Office Open XML workbooks (.xlsx) through libzip, with a streaming
// scan of the sheet and shared-string parts so that a sheet of a million rows
// never sits in memory as XML.
#pragma once

#include <string>

#include "data/workbook.h"

namespace data {

// Reads the sheets `options` asks for. Numbers (dates included, as serial
// day numbers) become numbers, booleans 1 and 0, strings and error values
// texts. Throws WorkbookError.
Workbook ReadXlsx(const std::string& path, const ReadOptions& options = {});

}  // namespace data
