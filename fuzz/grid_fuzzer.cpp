// Fuzzes the grid file reader: it reports every bad file through Status and
// must never throw.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "grid/grid_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  grid::GridDocument doc;
  const grid::Status status =
      grid::ParseGridFileText(std::string_view(reinterpret_cast<const char*>(data), size), doc);
  if (status.ok()) {
    // A grid that loaded must also save.
    (void)grid::GridFileText(doc.grid, doc.caption, doc.title);
  }
  return 0;
}
