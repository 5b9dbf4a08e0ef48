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

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "grid/xlsx_sheet.h"

namespace grid::xlsx {

// The workbook's shared strings, looked up in a hash table of our own: the
// library's lookup compares a text with a tree's worth of others and copies
// it even when it is there. A text met again counts one use more, as the
// library counts it (the table's "count").
//
// Without the library's table (nullptr), a sheet's own: its texts numbered
// from 0 in the order they came, for a sheet written ahead of its workbook;
// Merge adds them to the workbook's as if its cells had been written there.
class SharedStrings {
 public:
  explicit SharedStrings(lxw_sst* sst) : sst_(sst) {}
  std::uint32_t Index(std::string_view text);
  // One use more of a text whose index the caller has kept.
  std::uint32_t Again(std::uint32_t index) {
    ++uses_;
    if (sst_) ++sst_->string_count;
    return index;
  }
  // The workbook's index of each of a sheet's own texts.
  std::vector<std::uint32_t> Merge(const SharedStrings& sheet);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  lxw_sst* sst_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> known_;
  std::vector<std::string_view> order_;  // a sheet's own texts (keys of known_), by index
  std::uint64_t uses_ = 0;
};

// Gives the XML to `out` in pieces of about a megabyte.
void StreamSheetXml(SheetPlan& plan, lxw_worksheet* ws, SharedStrings& shared_strings,
                    const std::function<void(std::string&&)>& out);

// A sheet's cells and merges written ahead of its workbook: the XML with
// the places of the workbook's string and format indexes marked, the
// sheet's own strings and the looks of its formats.
struct SheetAhead {
  SharedStrings strings{nullptr};
  FormatPool formats{nullptr};
  Status status = Status::Ok();    // a grid too large for a worksheet
  std::vector<std::string> cells;  // <row> elements, in pieces
  std::string merges;              // the <mergeCells> element
};
void WriteSheetAhead(const ReportGrid& grid, SheetAhead& ahead);

// As StreamSheetXml for the plan's grid, from what WriteSheetAhead wrote of
// it, `formats` and `shared_strings` the workbook's.
void StreamSheetAheadXml(const SheetAhead& ahead, SheetPlan& plan, lxw_worksheet* ws,
                         FormatPool& formats, SharedStrings& shared_strings,
                         const std::function<void(std::string&&)>& out);

}  // namespace grid::xlsx
