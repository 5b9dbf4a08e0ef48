// Fuzzes one workbook reader. Each target keeps to its own format so that its
// time goes to its reader: the .xls reader takes the bytes in memory, the
// zip-based readers (.xlsx, .ods) a scratch file, as libzip opens files.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "data/ods_reader.h"
#include "data/xls_reader.h"
#include "data/xlsx_reader.h"
#include "fuzz_file_input.h"

#if !defined(SCORESTAT_FUZZ_XLS) && !defined(SCORESTAT_FUZZ_XLSX) && !defined(SCORESTAT_FUZZ_ODS)
#error "define the format the target fuzzes"
#endif

namespace {

data::Workbook Read(const std::uint8_t* data, std::size_t size, const data::ReadOptions& options) {
#ifdef SCORESTAT_FUZZ_XLS
  return data::ReadXlsBytes(std::string_view(reinterpret_cast<const char*>(data), size), options);
#else
#ifdef SCORESTAT_FUZZ_ODS
  const std::string& path = fuzz::ScratchPath(".ods");
#else
  const std::string& path = fuzz::ScratchPath(".xlsx");
#endif
  if (!fuzz::WriteScratch(path, data, size)) return {};
#ifdef SCORESTAT_FUZZ_ODS
  return data::ReadOds(path, options);
#else
  return data::ReadXlsx(path, options);
#endif
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef SCORESTAT_FUZZ_XLS
  constexpr unsigned char kMagic[] = {0xD0, 0xCF, 0x11, 0xE0};
#else
  constexpr unsigned char kMagic[] = {'P', 'K'};
#endif
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) return 0;
  data::ReadOptions options;
  // Small limits keep a declared-huge input from spending the run on memory.
  options.max_part_bytes = 8U << 20;
  options.max_total_bytes = 32U << 20;
  // Sheets of half a million cells cover every seed (rows_65536.xls holds
  // 393,216); more only spends the sanitizers' time (four million cells of a
  // repeated .ods cell took 20 s under them).
  options.max_cells = 500'000;
  try {
    const data::Workbook book = Read(data, size, options);
    for (const data::Sheet& sheet : book.sheets()) {
      for (std::size_t r = 0; r < sheet.rows(); ++r) {
        for (std::size_t c = 0; c < sheet.cols(); ++c) (void)sheet.At(r, c);
      }
    }
  } catch (const data::WorkbookError&) {
    // The documented failure; anything else escaping is a fault.
  }
  return 0;
}
