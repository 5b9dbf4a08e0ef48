// Checks an .xls before FreeXL parses it. FreeXL 1.0.6 (Debian 12) trusts
// lengths stored in the file and reads past its buffers on damaged or
// crafted workbooks (found by fuzzing); these checks refuse such files so
// that a bad workbook is reported as damaged instead of crashing the import.
#pragma once

#include <string>

namespace data {

// Empty when nothing dangerous was found (FreeXL then decides, and refuses
// what it cannot read); otherwise why the file is damaged, in Chinese.
// Only looks at what FreeXL is known to mishandle:
// - a directory whose chain breaks, or an entry whose name length is over
//   the 64 bytes an entry holds;
// - a shared string (SST) whose characters, formatting runs or extension
//   block run past the SST record and its CONTINUE records;
// - a sector chain of the workbook stream that ends early or leaves the file.
std::string XlsHazard(const std::string& path);

}  // namespace data
