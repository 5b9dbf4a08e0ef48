// Writing a grid out as a workbook, a web page or comma-separated text. None
// of them throws: a failure comes back as a Status with a Chinese message.
//
// What goes out is what the report shows: display texts (or, in .xlsx,
// numbers with the column's display format), the header rows, and the
// row-header column only when the page setup prints the fixed column.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "grid/grid_error.h"
#include "grid/report_grid.h"

namespace grid {

// .xlsx: texts that read as numbers become numbers; styles, merges, widths,
// heights, hidden rows and columns, report titles as merged rows above the
// table and the page setup are kept.
Status ExportToExcel(const ReportGrid& grid, const std::string& path);

// Several grids as the sheets of one workbook, in order. Sheet names are
// made valid (31 characters, no []:*?/\) and unique. A sheet without a grid
// holds the PNG picture `png` (a chart) at its top-left corner. Both write
// their sheets streamed (see SheetWriting), on two threads.
class PreparedSheet;
struct NamedGrid {
  std::string name;
  const ReportGrid* grid;
  std::string_view png = {};
  const PreparedSheet* prepared = nullptr;  // `grid`'s, or nullptr
};
Status ExportBookToExcel(const std::vector<NamedGrid>& sheets, const std::string& path);

// How ExcelBookWriter writes a grid's sheet. kLibrary: libxlsxwriter keeps
// every cell until Close and then writes and deflates all sheets on one
// thread. kStreamed: the sheet's XML is written by us at Add, deflated on a
// thread of its own while the caller makes the next sheet, and the cells are
// never held; the workbook's members are the same bytes (but for the time in
// docProps/core.xml), only the zip container and its compression differ.
enum class SheetWriting { kLibrary, kStreamed };

namespace xlsx {
struct SheetAhead;
}

// A grid's sheet written ahead of the book that will hold it, on any thread:
// its cells' XML with the places of the workbook's string and format indexes
// marked, which a streamed ExcelBookWriter fills in as it copies the XML
// when the sheet is added (with this in NamedGrid::prepared), far quicker
// than writing the cells. It holds that XML (about 45 bytes a cell); the
// grid must not change before the sheet is added.
class PreparedSheet {
 public:
  explicit PreparedSheet(const ReportGrid& grid);
  PreparedSheet(const PreparedSheet&) = delete;
  PreparedSheet& operator=(const PreparedSheet&) = delete;
  ~PreparedSheet();
  const xlsx::SheetAhead& written() const { return *written_; }
  std::size_t Bytes() const;  // what it holds

 private:
  std::unique_ptr<xlsx::SheetAhead> written_;
};

// The same workbook written sheet by sheet: Add copies a grid (or picture)
// into the workbook, so the caller may drop it at once and a book of many
// large reports never holds all their grids. Close writes the file; a writer
// destroyed unclosed writes it too and ignores the outcome. Not thread-safe.
class ExcelBookWriter {
 public:
  explicit ExcelBookWriter(const std::string& path, SheetWriting writing = SheetWriting::kLibrary);
  ExcelBookWriter(const ExcelBookWriter&) = delete;
  ExcelBookWriter& operator=(const ExcelBookWriter&) = delete;
  ~ExcelBookWriter();

  // After a failure, further sheets are ignored and Close returns that failure.
  Status Add(const NamedGrid& sheet);
  Status Close();

 private:
  struct Book;
  std::unique_ptr<Book> book_;
};

// One self-contained UTF-8 page: the report titles and the table; hidden rows
// and columns are left out, merges become rowspan/colspan, every text is
// escaped.
Status ExportToHtml(const ReportGrid& grid, const std::string& path,
                    std::string_view page_title = {});
std::string HtmlText(const ReportGrid& grid, std::string_view page_title = {});

// UTF-8 with a byte-order mark, RFC 4180 quoting, CRLF line ends; hidden rows
// and columns are left out.
Status ExportToCsv(const ReportGrid& grid, const std::string& path);
std::string CsvText(const ReportGrid& grid);

// The grid columns an export writes, in order; hidden ones only when asked.
std::vector<int> ExportedColumns(const ReportGrid& grid, bool include_hidden);
// The grid rows an export writes, in order.
std::vector<int> ExportedRows(const ReportGrid& grid, bool include_hidden);

// Writes `text` to `path`, replacing it.
Status WriteTextFile(const std::string& path, std::string_view text);

}  // namespace grid
