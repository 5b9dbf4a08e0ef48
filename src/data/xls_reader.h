// Reader of Excel 97-2003 workbooks (.xls: BIFF8) and of Excel 5.0/95
// workbooks (BIFF5/7, texts in the workbook's code page, such as GBK), from
// Microsoft's published [MS-CFB] and [MS-XLS] documents.
#pragma once

#include <string>
#include <string_view>

#include "data/workbook.h"

namespace data {

// Reads the sheets `options` asks for. Numbers (dates included, as serial
// day numbers), booleans as 1 and 0, texts; formulas as their saved result.
// Cells carry the notes of their number format (date, percent), error values
// and formulas saved without a result; merged areas come with each sheet.
// Throws WorkbookError: kPassword for an encrypted workbook, kCorrupt for
// damage, kNotWorkbook for a compound file that holds no workbook.
Workbook ReadXls(const std::string& path, const ReadOptions& options = {});

// The same over the bytes of a file; messages do not name a file.
Workbook ReadXlsBytes(std::string_view bytes, const ReadOptions& options = {});

}  // namespace data
