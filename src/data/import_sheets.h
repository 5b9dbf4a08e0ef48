// Pieces of the import's checking side shared by its source files
// (import_layout.cpp, import_lines.cpp, import_rows.cpp); not for use
// elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/import_layout.h"

namespace data::import {

// The text a cell shows: a number in its shortest form, a text trimmed.
std::string CellText(const Sheet& sheet, std::size_t row, std::size_t col);
bool RowIsBlank(const Sheet& sheet, std::size_t row);

// The first of the first ten rows that holds every name of `required` as a
// whole cell; nullopt when none does.
std::optional<std::size_t> FindHeaderRow(const Sheet& sheet,
                                         const std::vector<std::string_view>& required);

// The header of `table` (its header_row set): names checked and trimmed,
// columns without a name and without data dropped from the right.
void ReadHeaderNames(SheetTable& table);

// Refuses an error value or a formula without a result in any cell of the
// header and data rows of `table`.
void RefuseUnreadableCells(const SheetTable& table);

// The lines sheet as six labelled (or positional) rows of whole numbers.
LinesTable ReadLines(const Sheet& sheet, const std::string& file);
// True when the sheet's first column labels the six lines (满分, 优秀, ...).
bool LooksLikeLines(const Sheet& sheet);

// Refuses a second header row: subject names in the row under the header.
void RefuseTwoRowHeader(const SheetTable& table, const LinesTable& lines);

// The data rows of the score sheet: titles, summary and blank rows skipped
// (and noted), merged areas of the name columns filled, students without
// school or class refused, scores checked against `lines`.
void ReadScoreRows(Sheet& sheet, SheetTable& table, const LinesTable& lines, ImportNotes& notes);
// The same for the teachers' sheet: one row per school and class.
void ReadTeacherRows(Sheet& sheet, SheetTable& table);

}  // namespace data::import
