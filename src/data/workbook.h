// The in-memory workbook that the .xls, .xlsx and .ods readers produce and
// the import consumes: sheets in tab order, each a rectangle of cells that are
// empty, a number or a UTF-8 text, with what the file says beyond the value
// (a date or percent format, an error value, a formula saved without its
// result) as cell notes, and the merged ranges.
//
// Memory: a cell is 8 bytes (a NaN-boxed double). Texts live once in a pool
// shared by all sheets of a workbook; a cell holds the text's index, so a
// text shared by the file (an .xlsx shared string, an .xls SST entry) is
// stored once however many cells show it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace data {

enum class CellKind : std::uint8_t { kEmpty, kNumber, kText };

// What the file says of a cell beyond its value; bits of one byte.
enum CellNote : std::uint8_t {
  kNoNote = 0,
  kDateFormat = 1,     // a number shown as a date or time (a serial day)
  kPercentFormat = 2,  // a number shown times 100 with a % sign
  kErrorValue = 4,     // an error (#DIV/0!, #N/A, ...), kept as its text
  kNoResult = 8,       // a formula saved without its result; the cell is empty
};

// A cell's value as a reader of the workbook sees it. `text` points into the
// workbook's string pool and stays valid as long as the workbook lives.
struct CellValue {
  CellKind kind = CellKind::kEmpty;
  double number = 0;
  std::string_view text;
  std::uint8_t notes = kNoNote;

  bool operator==(const CellValue& other) const {
    return kind == other.kind && number == other.number && text == other.text &&
           notes == other.notes;
  }
};

// A merged area, 0-based and inclusive; the value is in its top left cell.
struct CellRange {
  std::size_t first_row = 0, last_row = 0;
  std::size_t first_col = 0, last_col = 0;
  bool operator==(const CellRange&) const = default;
};

// Append-only store of texts, addressed by index.
class StringPool {
 public:
  std::uint32_t Add(std::string_view text);
  std::string_view Get(std::uint32_t index) const;
  std::size_t size() const { return ends_.size(); }
  void Reserve(std::size_t count, std::size_t bytes);

 private:
  std::string bytes_;
  std::vector<std::uint64_t> ends_;
};

// One stored cell: a double, or a NaN pattern that arithmetic never yields
// carrying "empty" or a string-pool index.
class Cell {
 public:
  Cell() : bits_(kEmptyBits) {}
  static Cell Number(double value);
  static Cell Text(std::uint32_t index) { return Cell(kTextTag | index); }

  CellKind kind() const;
  double number() const;
  std::uint32_t text_index() const { return static_cast<std::uint32_t>(bits_); }

 private:
  explicit Cell(std::uint64_t bits) : bits_(bits) {}
  static constexpr std::uint64_t kTagMask = 0xFFFF'0000'0000'0000ULL;
  static constexpr std::uint64_t kTextTag = 0xFFF1'0000'0000'0000ULL;
  static constexpr std::uint64_t kEmptyBits = 0xFFF2'0000'0000'0000ULL;
  std::uint64_t bits_;
};
static_assert(sizeof(Cell) == 8);

// A worksheet: a dense row-major rectangle. Cells outside it read as empty,
// so callers need not check bounds. Row and column indices are 0-based.
class Sheet {
 public:
  Sheet(std::string name, std::shared_ptr<StringPool> strings);

  const std::string& name() const { return name_; }
  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }

  CellValue At(std::size_t row, std::size_t col) const;
  CellKind KindAt(std::size_t row, std::size_t col) const { return Raw(row, col).kind(); }
  // The number of a number cell; nullopt for empty and text cells.
  std::optional<double> NumberAt(std::size_t row, std::size_t col) const;
  // The text of a text cell; empty for the others.
  std::string_view TextAt(std::size_t row, std::size_t col) const;
  // The CellNote bits of a cell.
  std::uint8_t NotesAt(std::size_t row, std::size_t col) const;
  const std::vector<CellRange>& merges() const { return merges_; }

  // Building. Set* grow the rectangle as needed.
  void Reserve(std::size_t rows, std::size_t cols);
  void SetNumber(std::size_t row, std::size_t col, double value);
  void SetText(std::size_t row, std::size_t col, std::string_view text);
  // A text already in the shared pool (an index the pool handed out).
  void SetTextIndex(std::size_t row, std::size_t col, std::uint32_t index);
  void Clear(std::size_t row, std::size_t col);
  // Gives (to_row, to_col) the value and notes of (from_row, from_col).
  void CopyCell(std::size_t from_row, std::size_t from_col, std::size_t to_row, std::size_t to_col);
  // Throws WorkbookError::kTooLarge when a value at (row, col) would make
  // the rectangle hold more than `max_cells` cells.
  void CheckGrowth(std::size_t row, std::size_t col, std::uint64_t max_cells) const;
  // Adds CellNote bits to a cell (growing the rectangle like Set*).
  void AddNotes(std::size_t row, std::size_t col, std::uint8_t notes);
  // A merged area of more than one cell; others are ignored.
  void AddMerge(const CellRange& range);
  // Drops trailing rows and columns that hold no value and no note, so that
  // files that format or declare a larger range still give the same
  // rectangle. Merged areas are kept as the file gave them.
  void Trim();

  StringPool& strings() { return *strings_; }

 private:
  Cell Raw(std::size_t row, std::size_t col) const;
  Cell& Slot(std::size_t row, std::size_t col);
  void Widen(std::size_t cols);

  std::string name_;
  std::shared_ptr<StringPool> strings_;
  std::size_t rows_ = 0;
  std::size_t cols_ = 0;
  std::size_t stride_ = 0;  // cells per row in storage, cols_ or more until Trim
  std::vector<Cell> cells_;
  // One byte per cell, in step with cells_, allocated at the first note:
  // most sheets have none.
  std::vector<std::uint8_t> notes_;
  std::vector<CellRange> merges_;
};

class Workbook {
 public:
  Workbook() : strings_(std::make_shared<StringPool>()) {}

  // Sheets in tab order.
  const std::vector<Sheet>& sheets() const { return sheets_; }
  std::vector<Sheet>& sheets() { return sheets_; }
  // The sheet named exactly `name`, or nullptr.
  const Sheet* Find(std::string_view name) const;
  Sheet& AddSheet(std::string name);
  StringPool& strings() { return *strings_; }

 private:
  std::shared_ptr<StringPool> strings_;
  std::vector<Sheet> sheets_;
};

// A workbook that cannot be read. what() is the message for the user, in
// Chinese, naming the file.
class WorkbookError : public std::runtime_error {
 public:
  enum class Kind {
    kOpen,         // missing or unreadable file
    kNotWorkbook,  // none of .xls, .xlsx, .ods, or an empty file
    kPassword,     // encrypted or password protected
    kCorrupt,      // damaged or truncated, or an invalid reference
    kTooLarge,     // beyond the reader's size limits
  };
  WorkbookError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// What the user reads for a file that is no workbook we can read: it names
// the formats that can be.
extern const char* const kNotWorkbookMessage;
// The same for a workbook of Excel 4.0 or older (BIFF2 to BIFF4).
extern const char* const kTooOldWorkbookMessage;

// Throws WorkbookError whose message is `what` followed by the file's name.
[[noreturn]] void ThrowForFile(WorkbookError::Kind kind, const std::string& what,
                               const std::string& path);

struct ReadOptions {
  // Names of the sheets to read; empty reads every sheet. Sheets not in the
  // file are simply absent from the result (the caller decides the message).
  std::vector<std::string> sheets;
  // Refuse a zip part (an .xlsx sheet, an .ods content.xml) whose
  // uncompressed size is beyond this. Parts are scanned as streams, so this
  // bounds time, not memory: a million-row .ods holds about 1.5 GB of XML.
  std::uint64_t max_part_bytes = 3ULL << 30;
  // Refuse an .xlsx whose parts read together are beyond this.
  std::uint64_t max_total_bytes = 4ULL << 30;
  // Refuse a sheet whose rectangle would hold more cells than this.
  std::uint64_t max_cells = 200'000'000;

  bool Wants(std::string_view sheet_name) const;
};

// Reads an .xls (BIFF5 to BIFF8), .xlsx or .ods workbook, chosen by the
// file's first bytes (and, for a zip archive, by its parts), not its name.
// Throws WorkbookError.
Workbook ReadWorkbook(const std::string& path, const ReadOptions& options = {});

// "A", "B", ..., "Z", "AA", ...: the letters of a 0-based column index.
std::string ColumnLetters(std::size_t col);

// The serial day number (1900 date system, or 1904 when `date1904`) of an
// ISO-like date or time text ("2024-03-05", "2024-03-05 08:30:00",
// "08:30:00"); nullopt when the text is not one.
std::optional<double> SerialFromDateText(std::string_view text, bool date1904);

}  // namespace data
