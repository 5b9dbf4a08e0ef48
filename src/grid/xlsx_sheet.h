// What a grid's worksheet holds, decided once for the two ways a workbook is
// written: through libxlsxwriter's cell table (xlsx_export.cpp) and streamed
// by our own sheet writer (xlsx_stream.cpp). Both take every cell, title,
// merge and format from here, so that their sheets cannot differ.
//
// Internal to the grid module. A SheetPlan borrows its grid and format pool;
// both outlive it.
#pragma once

#include <xlsxwriter.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "grid/grid_error.h"
#include "grid/report_grid.h"

namespace grid::xlsx {

// One format per distinct look in the whole workbook. The library assigns a
// format its index once, but a format object that merely repeats another's
// look is hashed again at every cell it is written to (a whole listing's
// worth of hashing per repeated column or sheet), so repeats never reach it.
//
// Without a workbook (nullptr) the pool only records the looks asked for, in
// order, each as an empty format of its own that stands for it: a sheet
// written ahead of its workbook, on another thread, and Replay gives the
// workbook's formats for them later, created in the same order.
class FormatPool {
 public:
  explicit FormatPool(lxw_workbook* wb) : wb_(wb) {}
  FormatPool(const FormatPool&) = delete;
  FormatPool& operator=(const FormatPool&) = delete;
  ~FormatPool();
  lxw_format* Get(CellStyle s, const std::string& num_format);

  // A recording pool's formats in the order it made them, and the same
  // looks' formats from `book`.
  std::vector<std::pair<const lxw_format*, lxw_format*>> Replay(FormatPool& book) const;

 private:
  struct Entry {
    CellStyle style;
    std::string num_format;
    lxw_format* format;
  };
  lxw_format* Create(const CellStyle& s, const std::string& num_format);

  lxw_workbook* wb_;
  std::vector<Entry> entries_;
};

// A worksheet name Excel accepts: at most 31 characters, none of []:*?/\,
// not empty, and not used before in the workbook.
std::string UniqueSheetName(const std::string& wanted, std::set<std::string>& used);

// A cell as the workbook stores it: texts that read as numbers (below the
// header rows) are numbers, an empty text is a formatted blank.
struct SheetCell {
  enum class Kind { kBlank, kNumber, kText } kind = Kind::kBlank;
  double number = 0;
  std::string_view text;
};

// A title row above the table: its height and its parts, each written to
// the first of its columns and merged across them when there are several.
struct TitlePart {
  lxw_col_t first, last;
  std::string text;
  lxw_format* format;
};
struct TitleRow {
  double height;
  std::vector<TitlePart> parts;
};

// A grid merge in sheet cells, in the grid's order, with the format its
// blank cells get; its first cell keeps its own value and format.
struct SheetMerge {
  lxw_row_t first_row, last_row;
  lxw_col_t first_col, last_col;
  int anchor_row, anchor_col;  // grid coordinates of the first cell
  lxw_format* format;
};

class SheetPlan {
 public:
  SheetPlan(const ReportGrid& grid, FormatPool& formats);

  // Refuses a grid larger than a worksheet.
  Status Check() const;
  bool HasCells() const { return !cols_.empty(); }
  const ReportGrid& Grid() const { return g_; }
  const std::vector<int>& Rows() const { return rows_; }
  const std::vector<int>& Cols() const { return cols_; }
  lxw_row_t TitleCount() const { return top_; }

  std::vector<TitleRow> Titles();
  std::vector<SheetMerge> Merges();
  SheetCell Cell(int r, int c);  // a text valid until the next call
  // One format per distinct (style, column, number or text), not per cell.
  lxw_format* CellFormat(int r, int c, bool number);
  // The height in points and hidden flag of a grid row that is not the
  // default height; nullopt for a default row.
  std::optional<std::pair<double, bool>> RowOptions(int r) const;

  // The columns' widths and the page setup, on the library's worksheet.
  void SetColumns(lxw_worksheet* ws) const;
  void SetPageSetup(lxw_worksheet* ws) const;

 private:
  const ReportGrid& g_;
  FormatPool& pool_;
  std::vector<int> cols_;
  std::vector<int> rows_;
  std::vector<int> sheet_col_;
  lxw_row_t top_ = 0;
  std::string shown_;  // the row number a row-index cell shows
  // By column, style index and whether the column's number format applies.
  std::unordered_map<std::uint64_t, lxw_format*> formats_;
  // Per grid column: whether its number format applies to numbers, and the
  // last style asked for with its two formats (text, number), since a
  // column's cells mostly share one style.
  struct ColumnFormats {
    bool number_format = false;
    std::uint32_t style = 0;
    lxw_format* format[2] = {nullptr, nullptr};
  };
  std::vector<ColumnFormats> column_formats_;
};

}  // namespace grid::xlsx
