// Fuzzes the workbook reader on one container format. The reader picks the
// format by the first bytes; each target keeps to its own format so that its
// time goes to its reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/workbook.h"
#include "fuzz_file_input.h"

#ifndef SCORESTAT_FUZZ_SUFFIX
#error "SCORESTAT_FUZZ_SUFFIX must name the file suffix"
#endif

#ifdef SCORESTAT_FUZZ_XLS
constexpr unsigned char kMagic[] = {0xD0, 0xCF, 0x11, 0xE0};
#else
constexpr unsigned char kMagic[] = {'P', 'K'};
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) return 0;
  const std::string& path = fuzz::ScratchPath(SCORESTAT_FUZZ_SUFFIX);
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  data::ReadOptions options;
  // Small limits keep a declared-huge input from spending the run on memory.
  options.max_part_bytes = 8U << 20;
  options.max_total_bytes = 32U << 20;
  options.max_cells = 4'000'000;
  // Long runs read in process (SCORESTAT_FUZZ_IN_PROCESS=1), so that the
  // sanitizers and the coverage see the .xls library; the smoke tests read as
  // the program does, where a crash inside that library is contained.
  static const bool in_process = std::getenv("SCORESTAT_FUZZ_IN_PROCESS") != nullptr;
  options.isolate_xls = !in_process;
  try {
    const data::Workbook book = data::ReadWorkbook(path, options);
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
