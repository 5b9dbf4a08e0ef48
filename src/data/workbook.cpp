#include "data/workbook.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "data/ods_reader.h"
#include "data/xls_reader.h"
#include "data/xlsx_reader.h"
#include "data/zip_archive.h"

namespace data {

std::uint32_t StringPool::Add(std::string_view text) {
  bytes_.append(text);
  ends_.push_back(bytes_.size());
  return static_cast<std::uint32_t>(ends_.size() - 1);
}

std::string_view StringPool::Get(std::uint32_t index) const {
  if (index >= ends_.size()) return {};
  std::uint64_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void StringPool::Reserve(std::size_t count, std::size_t bytes) {
  ends_.reserve(count);
  bytes_.reserve(bytes);
}

Cell Cell::Number(double value) {
  // Every NaN becomes the canonical quiet NaN so that no number collides
  // with the tags.
  if (std::isnan(value)) return Cell(0x7FF8'0000'0000'0000ULL);
  return Cell(std::bit_cast<std::uint64_t>(value));
}

CellKind Cell::kind() const {
  std::uint64_t tag = bits_ & kTagMask;
  if (tag == kTextTag) return CellKind::kText;
  if (bits_ == kEmptyBits) return CellKind::kEmpty;
  return CellKind::kNumber;
}

double Cell::number() const {
  return kind() == CellKind::kNumber ? std::bit_cast<double>(bits_) : 0.0;
}

Sheet::Sheet(std::string name, std::shared_ptr<StringPool> strings)
    : name_(std::move(name)), strings_(std::move(strings)) {}

namespace {

// The cells of a row-major rectangle moved into one of another width.
template <typename T>
std::vector<T> Reshaped(const std::vector<T>& cells, std::size_t old_cols, std::size_t rows,
                        std::size_t cols) {
  std::vector<T> out(rows * cols);
  const std::size_t keep = std::min(old_cols, cols);
  for (std::size_t r = 0; r < rows && (r + 1) * old_cols <= cells.size(); ++r) {
    std::copy_n(cells.begin() + static_cast<std::ptrdiff_t>(r * old_cols), keep,
                out.begin() + static_cast<std::ptrdiff_t>(r * cols));
  }
  return out;
}

}  // namespace

Cell Sheet::Raw(std::size_t row, std::size_t col) const {
  if (row >= rows_ || col >= cols_) return Cell();
  return cells_[row * stride_ + col];
}

CellValue Sheet::At(std::size_t row, std::size_t col) const {
  Cell cell = Raw(row, col);
  const std::uint8_t notes = NotesAt(row, col);
  switch (cell.kind()) {
    case CellKind::kNumber:
      return {CellKind::kNumber, cell.number(), {}, notes};
    case CellKind::kText:
      return {CellKind::kText, 0, strings_->Get(cell.text_index()), notes};
    case CellKind::kEmpty:
      break;
  }
  return {CellKind::kEmpty, 0, {}, notes};
}

std::optional<double> Sheet::NumberAt(std::size_t row, std::size_t col) const {
  Cell cell = Raw(row, col);
  if (cell.kind() != CellKind::kNumber) return std::nullopt;
  return cell.number();
}

std::string_view Sheet::TextAt(std::size_t row, std::size_t col) const {
  Cell cell = Raw(row, col);
  return cell.kind() == CellKind::kText ? strings_->Get(cell.text_index()) : std::string_view();
}

std::uint8_t Sheet::NotesAt(std::size_t row, std::size_t col) const {
  if (notes_.empty() || row >= rows_ || col >= cols_) return kNoNote;
  return notes_[row * stride_ + col];
}

void Sheet::Reserve(std::size_t rows, std::size_t cols) {
  if (cols > cols_) Widen(cols);
  cells_.reserve(rows * stride_);
}

void Sheet::Widen(std::size_t cols) {
  // The storage widens by half again at least, so that a sheet whose rows
  // reach further right one after another is not copied once per row.
  if (cols > stride_) {
    const std::size_t stride = std::max(cols, stride_ + stride_ / 2);
    cells_ = Reshaped(cells_, stride_, rows_, stride);
    if (!notes_.empty()) notes_ = Reshaped(notes_, stride_, rows_, stride);
    stride_ = stride;
  }
  cols_ = cols;
}

Cell& Sheet::Slot(std::size_t row, std::size_t col) {
  if (col >= cols_) Widen(col + 1);
  if (row >= rows_) {
    rows_ = row + 1;
    cells_.resize(rows_ * stride_);
    if (!notes_.empty()) notes_.resize(rows_ * stride_);
  }
  return cells_[row * stride_ + col];
}

void Sheet::SetNumber(std::size_t row, std::size_t col, double value) {
  Slot(row, col) = Cell::Number(value);
}

void Sheet::SetText(std::size_t row, std::size_t col, std::string_view text) {
  Slot(row, col) = Cell::Text(strings_->Add(text));
}

void Sheet::SetTextIndex(std::size_t row, std::size_t col, std::uint32_t index) {
  Slot(row, col) = Cell::Text(index);
}

void Sheet::Clear(std::size_t row, std::size_t col) {
  if (row < rows_ && col < cols_) cells_[row * stride_ + col] = Cell();
  if (row < rows_ && col < cols_ && !notes_.empty()) notes_[row * stride_ + col] = kNoNote;
}

void Sheet::CopyCell(std::size_t from_row, std::size_t from_col, std::size_t to_row,
                     std::size_t to_col) {
  const Cell from = Raw(from_row, from_col);
  const std::uint8_t notes = NotesAt(from_row, from_col);
  Slot(to_row, to_col) = from;
  if (!notes_.empty()) notes_[to_row * cols_ + to_col] = notes;
}

void Sheet::CheckGrowth(std::size_t row, std::size_t col, std::uint64_t max_cells) const {
  const std::uint64_t rows = std::max<std::uint64_t>(rows_, row + std::uint64_t{1});
  const std::uint64_t cols = std::max<std::uint64_t>(cols_, col + std::uint64_t{1});
  if (rows * cols > max_cells) {
    throw WorkbookError(WorkbookError::Kind::kTooLarge,
                        "工作表 " + name_ + " 的单元格区域过大（" + ColumnLetters(col) +
                            std::to_string(row + 1) + "），拒绝读取");
  }
}

void Sheet::AddNotes(std::size_t row, std::size_t col, std::uint8_t notes) {
  if (notes == kNoNote) return;
  Slot(row, col);
  if (notes_.empty()) notes_.assign(cells_.size(), kNoNote);
  notes_[row * stride_ + col] |= notes;
}

void Sheet::AddMerge(const CellRange& range) {
  if (range.first_row > range.last_row || range.first_col > range.last_col) return;
  if (range.first_row == range.last_row && range.first_col == range.last_col) return;
  merges_.push_back(range);
}

void Sheet::Trim() {
  std::size_t rows = 0;
  std::size_t cols = 0;
  for (std::size_t r = 0; r < rows_; ++r) {
    for (std::size_t c = 0; c < cols_; ++c) {
      if (cells_[r * stride_ + c].kind() != CellKind::kEmpty || NotesAt(r, c) != kNoNote) {
        rows = r + 1;
        cols = std::max(cols, c + 1);
      }
    }
  }
  if (cols == stride_) {
    cells_.resize(rows * cols);
    if (!notes_.empty()) notes_.resize(rows * cols);
  } else {
    cells_ = Reshaped(cells_, stride_, rows, cols);
    if (!notes_.empty()) notes_ = Reshaped(notes_, stride_, rows, cols);
  }
  cells_.shrink_to_fit();
  notes_.shrink_to_fit();
  rows_ = rows;
  cols_ = cols;
  stride_ = cols;
}

const Sheet* Workbook::Find(std::string_view name) const {
  for (const Sheet& sheet : sheets_) {
    if (sheet.name() == name) return &sheet;
  }
  return nullptr;
}

Sheet& Workbook::AddSheet(std::string name) {
  return sheets_.emplace_back(std::move(name), strings_);
}

const char* const kNotWorkbookMessage =
    "文件不是有效的 Excel 工作簿（可以导入的格式：.xls、.xlsx、.ods）";

const char* const kTooOldWorkbookMessage =
    "这是 Excel 5.0 以前的旧版工作簿，不能读取。请在电子表格程序中另存为 .xlsx 或 .xls 格式，"
    "再导入";

void ThrowForFile(WorkbookError::Kind kind, const std::string& what, const std::string& path) {
  throw WorkbookError(kind, what + "：" + path);
}

bool ReadOptions::Wants(std::string_view sheet_name) const {
  return sheets.empty() || std::find(sheets.begin(), sheets.end(), sheet_name) != sheets.end();
}

namespace {

using Kind = WorkbookError::Kind;

// A zip archive is an .ods when its mimetype entry says so, an .xlsx
// otherwise (whose reader then says what is missing).
Workbook ReadZipWorkbook(const std::string& path, const ReadOptions& options) {
  bool ods = false;
  {
    ZipArchive zip(path, options);
    const std::optional<std::string> mimetype = zip.ReadAll("mimetype", 1024);
    ods = mimetype && mimetype->starts_with("application/vnd.oasis.opendocument.spreadsheet");
    if (mimetype && !ods) ThrowForFile(Kind::kNotWorkbook, kNotWorkbookMessage, path);
    if (zip.Has("xl/workbook.bin")) {
      ThrowForFile(Kind::kNotWorkbook,
                   "这是 Excel 二进制工作簿（.xlsb），不能读取。请在电子表格程序中另存为 .xlsx "
                   "再导入",
                   path);
    }
  }
  return ods ? ReadOds(path, options) : ReadXlsx(path, options);
}

// What a file that is no workbook looks like, for a hint beyond the list of
// formats: web pages and text files are often saved with an .xls name.
std::string NotWorkbookMessage(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  while (!head.empty() && (head.front() == ' ' || head.front() == '\r' || head.front() == '\n'))
    head.remove_prefix(1);
  if (head.starts_with("<"))
    return std::string(kNotWorkbookMessage) +
           "。这个文件是网页（HTML 或 XML），请用电子表格程序打开后另存为 .xlsx 再导入";
  return kNotWorkbookMessage;
}

}  // namespace

Workbook ReadWorkbook(const std::string& path, const ReadOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowForFile(Kind::kOpen, "无法打开文件", path);
  std::string head(64, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  in.close();
  static constexpr std::string_view kZip("PK\x03\x04", 4);
  static constexpr std::string_view kOle2("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  if (head.starts_with(kZip)) return ReadZipWorkbook(path, options);
  if (head.starts_with(kOle2)) return ReadXls(path, options);
  // Excel 2.1 to 4.0 wrote a bare BOF record (0x0009, 0x0209, 0x0409),
  // without a compound file around it.
  if (head.size() >= 4 && head[0] == '\x09' && (head[1] == 0 || head[1] == 2 || head[1] == 4)) {
    ThrowForFile(Kind::kNotWorkbook, kTooOldWorkbookMessage, path);
  }
  ThrowForFile(Kind::kNotWorkbook, NotWorkbookMessage(head), path);
}

std::string ColumnLetters(std::size_t col) {
  std::string letters;
  for (std::size_t n = col + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return letters;
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  auto yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

}  // namespace

std::optional<double> SerialFromDateText(std::string_view text, bool date1904) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  double s = 0;
  int used = 0;
  std::string t(text);
  double day = 0;
  std::size_t time_at = 0;
  if (std::sscanf(t.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3 && used == 10) {
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
    // Serial 1 is 1900-01-01, and the 1900 system counts a 29 February that
    // never was, so from March 1900 on day 0 falls on 1899-12-30.
    long long base = date1904 ? DaysFromCivil(1904, 1, 1) : DaysFromCivil(1899, 12, 30);
    day = static_cast<double>(
        DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - base);
    time_at = 10;
    if (t.size() == time_at) return day;
    if (t[time_at] != ' ' && t[time_at] != 'T') return std::nullopt;
    ++time_at;
  }
  used = 0;
  if (std::sscanf(t.c_str() + time_at, "%2d:%2d:%lf%n", &h, &mi, &s, &used) != 3 ||
      time_at + static_cast<std::size_t>(used) != t.size()) {
    return std::nullopt;
  }
  if (h > 23 || mi > 59 || s < 0 || s >= 61) return std::nullopt;
  return day + (h * 3600 + mi * 60 + s) / 86400.0;
}

}  // namespace data
