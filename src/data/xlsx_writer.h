// Writes a workbook model to .xlsx through libxlsxwriter.
#pragma once

#include <string>

#include "data/workbook.h"

namespace data {

// Writes every sheet, cells as numbers and strings, empty cells left out.
// Rows are streamed (libxlsxwriter's constant-memory mode), so a million
// rows need little more memory than the model itself. Throws WorkbookError
// (Kind::kOpen) when the file cannot be written.
void WriteWorkbookXlsx(const std::string& path, const Workbook& workbook);

}  // namespace data
