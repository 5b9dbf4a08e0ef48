// The cell records of one worksheet of an .xls, read into a Sheet. Used by
// xls_reader.cpp, which reads the workbook globals first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/biff_records.h"
#include "data/workbook.h"

namespace data::biff {

// What the globals substream tells the sheets.
struct XlsGlobals {
  bool biff8 = true;
  // A spreadsheet program calculated the workbook when it saved it (it
  // wrote RECALCID). Writers that never calculate store every formula's
  // result as the empty string, which calculated files also use for a
  // formula whose result really is "": only here can it be believed.
  bool calculated = false;
  std::unique_ptr<CodePage> code_page;  // texts of BIFF5/7 files
  // Per XF record: the CellNote that its number format gives a number.
  std::vector<std::uint8_t> xf_notes;
  // Pool index of each shared string; kEmptyString for "" (an empty cell).
  std::vector<std::uint32_t> shared_strings;
  static constexpr std::uint32_t kEmptyString = 0xFFFFFFFF;
};

// Reads the worksheet whose BOF record is at `offset` of `stream` into
// `sheet`. Throws WorkbookError (without the file's name).
void ReadXlsSheet(RecordStream& stream, std::size_t offset, const XlsGlobals& globals,
                  const ReadOptions& options, Sheet& sheet);

}  // namespace data::biff
