// Reader of OpenDocument spreadsheets (.ods, LibreOffice's own format):
// content.xml of the zip package, scanned as a stream so that a sheet of a
// million rows never sits in memory as XML.
#pragma once

#include <string>

#include "data/workbook.h"

namespace data {

// Reads the sheets `options` asks for. Values come from the value
// attributes (float, percentage, currency, date, time, boolean) or the
// paragraphs of a string cell; percentages and dates carry their notes, error
// results and formulas without a value theirs. Spanned cells give merged
// areas, and covered cells stay empty. Repeated rows and cells cost nothing
// while they are empty (a row of a million empty cells allocates none).
// Throws WorkbookError.
Workbook ReadOds(const std::string& path, const ReadOptions& options = {});

}  // namespace data
