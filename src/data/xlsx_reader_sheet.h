// The two streamed parts of an .xlsx: the shared strings and a worksheet.
#pragma once

#include <cstdint>

#include "data/workbook.h"
#include "data/xlsx_reader_xml.h"

namespace data::xlsx {

// Appends every <si> of the shared-string part to `pool` (rich-text runs
// joined, phonetic runs left out) and returns how many there were.
std::uint32_t ReadSharedStrings(ByteSource source, StringPool& pool);

// Fills `sheet` from a worksheet part. Shared string i is pool entry i of
// the sheet's pool; `sst_count` bounds the valid indices. Throws
// WorkbookError (without the file's name) for invalid references, and
// XmlError for malformed XML.
void ReadSheetXml(ByteSource source, std::uint64_t part_bytes, std::uint32_t sst_count,
                  const ReadOptions& options, Sheet& sheet);

}  // namespace data::xlsx
