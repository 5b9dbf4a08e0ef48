// The two streamed parts of an .xlsx: the shared strings and a worksheet.
#pragma once

#include <cstdint>
#include <vector>

#include "data/workbook.h"
#include "data/xlsx_reader_xml.h"

namespace data::xlsx {

// Appends every <si> of the shared-string part to `pool` (rich-text runs
// joined, phonetic runs left out) and returns how many there were.
std::uint32_t ReadSharedStrings(ByteSource source, StringPool& pool);

// What the workbook tells every sheet.
struct SheetContext {
  // Shared string i is pool entry i of the sheet's pool; indices up to
  // sst_count are valid.
  std::uint32_t sst_count = 0;
  // Per cell style (the s attribute): the CellNote its number format gives
  // a number.
  std::vector<std::uint8_t> style_notes;
};

// Fills `sheet` from a worksheet part: values, notes, merged areas. Throws
// WorkbookError (without the file's name) for invalid references, and
// XmlError for malformed XML.
void ReadSheetXml(ByteSource source, std::uint64_t part_bytes, const SheetContext& context,
                  const ReadOptions& options, Sheet& sheet);

}  // namespace data::xlsx
