#include "data/xls_sheet.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace data::biff {

namespace {

// Columns beyond the 256 of the format are refused as damage; rows are
// 16-bit in every cell record, so cannot exceed 65,536.
constexpr std::size_t kMaxColumns = 256;

std::string ErrorText(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    default:
      return "#ERROR!";
  }
}

// An RK number ([MS-XLS] 2.5.217): 30 bits of an integer or of the high half
// of a double, optionally divided by 100.
double RkValue(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100 : value;
}

class SheetReader {
 public:
  SheetReader(RecordStream& stream, const XlsGlobals& globals, const ReadOptions& options,
              Sheet& sheet)
      : stream_(stream), globals_(globals), options_(options), sheet_(sheet) {}

  void Read(std::size_t offset);

 private:
  void Dispatch(const Record& record);
  void Place(std::size_t row, std::size_t col);
  void Number(std::size_t row, std::size_t col, std::uint16_t xf, double value);
  void Text(std::size_t row, std::size_t col, std::string_view text);
  void Error(std::size_t row, std::size_t col, std::uint8_t code);
  void MulRk(const Fields& f);
  void Formula(const Record& record);
  void StringResult(const Record& record);
  void MergedCells(const Fields& f);
  void Dimensions(const Fields& f);
  void LeavePendingFormula();
  std::string LabelText(const Record& record);

  RecordStream& stream_;
  const XlsGlobals& globals_;
  const ReadOptions& options_;
  Sheet& sheet_;
  int dimensions_ = 0;
  // A formula whose string result is in the STRING record that follows.
  std::optional<std::pair<std::size_t, std::size_t>> pending_string_;
};

void SheetReader::Read(std::size_t offset) {
  stream_.Seek(offset);
  Record record;
  if (!stream_.Next(record) || record.type != record::kBof) Corrupt("工作表位置无效");
  // Charts and other objects inside a sheet are substreams of their own.
  int depth = 1;
  while (depth > 0) {
    if (!stream_.Next(record)) Corrupt("工作表不完整");
    if (record.type == record::kBof) {
      ++depth;
    } else if (record.type == record::kEof) {
      --depth;
    } else if (depth == 1) {
      Dispatch(record);
    }
  }
  LeavePendingFormula();
  sheet_.Trim();
}

void SheetReader::Dispatch(const Record& record) {
  const Fields f(record.data);
  // Between a formula and its STRING record only the records that complete
  // the formula itself may stand.
  if (pending_string_ && record.type != record::kString && record.type != record::kSharedFormula &&
      record.type != record::kArray && record.type != record::kTable &&
      record.type != record::kContinue)
    LeavePendingFormula();
  switch (record.type) {
    case record::kNumber:
      Number(f.U16(0), f.U16(2), f.U16(4), f.F64(6));
      break;
    case record::kRk:
      Number(f.U16(0), f.U16(2), f.U16(4), RkValue(f.U32(6)));
      break;
    case record::kMulRk:
      MulRk(f);
      break;
    case record::kLabelSst: {
      const std::uint32_t index = f.U32(6);
      if (index >= globals_.shared_strings.size()) Corrupt("共享字符串索引超出范围");
      const std::uint32_t pooled = globals_.shared_strings[index];
      Place(f.U16(0), f.U16(2));
      // An empty string reads as an empty cell, as it does from an .xlsx.
      if (pooled != XlsGlobals::kEmptyString) sheet_.SetTextIndex(f.U16(0), f.U16(2), pooled);
      break;
    }
    case record::kLabel:
    case record::kRichString:
      Text(f.U16(0), f.U16(2), LabelText(record));
      break;
    case record::kBoolErr:
      if (f.U8(7) != 0) {
        Error(f.U16(0), f.U16(2), f.U8(6));
      } else {
        Number(f.U16(0), f.U16(2), f.U16(4), f.U8(6) != 0 ? 1 : 0);
      }
      break;
    case record::kFormula:
      Formula(record);
      break;
    case record::kString:
      StringResult(record);
      break;
    case record::kMergedCells:
      MergedCells(f);
      break;
    case record::kDimensions:
      Dimensions(f);
      break;
    default:
      break;
  }
}

void SheetReader::Place(std::size_t row, std::size_t col) {
  if (col >= kMaxColumns) Corrupt("单元格列号超出范围");
  if (row >= sheet_.rows() || col >= sheet_.cols())
    sheet_.CheckGrowth(row, col, options_.max_cells);
}

void SheetReader::Number(std::size_t row, std::size_t col, std::uint16_t xf, double value) {
  Place(row, col);
  sheet_.SetNumber(row, col, value);
  if (xf < globals_.xf_notes.size()) sheet_.AddNotes(row, col, globals_.xf_notes[xf]);
}

void SheetReader::Text(std::size_t row, std::size_t col, std::string_view text) {
  Place(row, col);
  if (!text.empty()) sheet_.SetText(row, col, text);
}

void SheetReader::Error(std::size_t row, std::size_t col, std::uint8_t code) {
  Place(row, col);
  sheet_.SetText(row, col, ErrorText(code));
  sheet_.AddNotes(row, col, kErrorValue);
}

std::string SheetReader::LabelText(const Record& record) {
  ContinuedReader reader(stream_, record, "文本单元格不完整");
  reader.Skip(6);
  return globals_.biff8 ? reader.UnicodeString() : reader.ByteString(false, *globals_.code_page);
}

void SheetReader::MulRk(const Fields& f) {
  if (f.size() < 6 || (f.size() - 6) % 6 != 0) Corrupt("记录不完整");
  const std::size_t row = f.U16(0), first = f.U16(2);
  for (std::size_t i = 0; i < (f.size() - 6) / 6; ++i)
    Number(row, first + i, f.U16(4 + 6 * i), RkValue(f.U32(6 + 6 * i)));
}

// FORMULA ([MS-XLS] 2.4.127): the cached result is an IEEE double, unless
// its last two bytes are 0xFFFF; then its first byte says string (in the
// STRING record that follows), boolean, error or empty string.
void SheetReader::Formula(const Record& record) {
  const Fields f(record.data);
  const std::size_t row = f.U16(0), col = f.U16(2);
  const std::uint16_t xf = f.U16(4);
  if (f.U16(12) != 0xFFFF) {
    Number(row, col, xf, f.F64(6));
    return;
  }
  switch (f.U8(6)) {
    case 0:
      Place(row, col);
      pending_string_.emplace(row, col);
      break;
    case 1:
      Number(row, col, xf, f.U8(8) != 0 ? 1 : 0);
      break;
    case 2:
      Error(row, col, f.U8(8));
      break;
    case 3:
      Place(row, col);
      if (!globals_.calculated) sheet_.AddNotes(row, col, kNoResult);
      break;
    default:
      Place(row, col);
      sheet_.AddNotes(row, col, kNoResult);
      break;
  }
}

void SheetReader::StringResult(const Record& record) {
  if (!pending_string_) return;  // a STRING record out of place says nothing
  ContinuedReader reader(stream_, record, "公式结果不完整");
  const std::string text =
      globals_.biff8 ? reader.UnicodeString() : reader.ByteString(false, *globals_.code_page);
  Text(pending_string_->first, pending_string_->second, text);
  pending_string_.reset();
}

void SheetReader::LeavePendingFormula() {
  if (!pending_string_) return;
  sheet_.AddNotes(pending_string_->first, pending_string_->second, kNoResult);
  pending_string_.reset();
}

void SheetReader::MergedCells(const Fields& f) {
  const std::size_t count = f.U16(0);
  if (f.size() < 2 + 8 * count) Corrupt("合并单元格记录不完整");
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 2 + 8 * i;
    sheet_.AddMerge({f.U16(at), f.U16(at + 2), f.U16(at + 4), f.U16(at + 6)});
  }
}

// DIMENSIONS only sizes the sheet in advance, within what the stream could
// fill; a second one in a sheet is damage.
void SheetReader::Dimensions(const Fields& f) {
  if (++dimensions_ > 1 || (f.size() != 14 && f.size() != 10)) Corrupt("工作表尺寸记录无效");
  const std::uint64_t rows = globals_.biff8 && f.size() == 14 ? f.U32(4) : f.U16(2);
  const std::uint64_t cols = globals_.biff8 && f.size() == 14 ? f.U16(10) : f.U16(6);
  if (rows * cols <= options_.max_cells && rows * cols <= stream_.size() && cols <= kMaxColumns)
    sheet_.Reserve(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
}

}  // namespace

void ReadXlsSheet(RecordStream& stream, std::size_t offset, const XlsGlobals& globals,
                  const ReadOptions& options, Sheet& sheet) {
  SheetReader(stream, globals, options, sheet).Read(offset);
}

}  // namespace data::biff
