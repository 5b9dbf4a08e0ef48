// A grid's worksheet XML written by us, piece by piece, byte for byte as
// libxlsxwriter writes the same sheet from its cell table (xlsx_export.cpp),
// without building that table: cells go out row by row as the plan gives
// them, merges laid over them as the library's later writes would be.
//
// The parts around the cells (views, columns, margins, page setup, header
// and footer) are the library's own: it writes them for the worksheet `ws`,
// which must already have the plan's columns and page setup and no cells.
// The sheet's texts go into the workbook's shared strings and its formats
// get their indexes in the order the library would give them, so the
// workbook's other members stay the library's too.
//
// Internal to the grid module.
#pragma once

#include <xlsxwriter.h>

#include <functional>
#include <string>

#include "grid/xlsx_sheet.h"

namespace grid::xlsx {

// Gives the XML to `out` in pieces of about a megabyte.
void StreamSheetXml(SheetPlan& plan, lxw_worksheet* ws, lxw_sst* shared_strings,
                    const std::function<void(std::string&&)>& out);

}  // namespace grid::xlsx
