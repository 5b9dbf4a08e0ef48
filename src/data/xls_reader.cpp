#include "data/xls_reader.h"

#include <freexl.h>

#include <cstdint>
#include <fstream>
#include <unordered_map>

namespace data {

namespace {

using Kind = WorkbookError::Kind;

[[noreturn]] void Fail(Kind kind, const std::string& what, const std::string& path) {
  throw WorkbookError(kind, what + "：" + path);
}

// FreeXL 1.0.6 converts each compound-file directory entry's name with the
// length the file states, reading past its sector buffer when that is over
// the 64 bytes an entry holds. Walk the directory chain the way it does and
// refuse such a file before FreeXL sees it. False only for a bad length; a
// chain that cannot be followed is left for FreeXL to refuse.
bool DirectoryNamesFit(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  auto u32 = [&](std::uint64_t at, std::uint32_t& out) {
    unsigned char b[4];
    if (!in.seekg(static_cast<std::streamoff>(at)) || !in.read(reinterpret_cast<char*>(b), 4))
      return false;
    out = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
  };
  std::uint32_t shift_word = 0, dir_sector = 0;
  if (!u32(0x1C, shift_word) || !u32(0x30, dir_sector)) return true;
  const std::uint32_t shift = shift_word >> 16;
  if (shift != 9 && shift != 12) return true;
  const std::uint64_t size = std::uint64_t{1} << shift;
  const std::uint64_t per_fat_sector = size / 4;
  auto fat_next = [&](std::uint32_t sector, std::uint32_t& next) {
    const std::uint64_t index = sector / per_fat_sector;
    if (index >= 109) return false;  // past the header's table: FreeXL decides
    std::uint32_t fat_sector = 0;
    return u32(0x4C + 4 * index, fat_sector) && fat_sector < 0xFFFFFFFA &&
           u32((fat_sector + std::uint64_t{1}) * size + (sector % per_fat_sector) * 4, next);
  };
  for (int hops = 0; dir_sector < 0xFFFFFFFA && hops < 65536; ++hops) {
    const std::uint64_t base = (dir_sector + std::uint64_t{1}) * size;
    for (std::uint64_t entry = 0; entry < size / 128; ++entry) {
      std::uint32_t word = 0;
      if (!u32(base + entry * 128 + 64, word)) return true;
      if ((word & 0xFFFF) > 64) return false;
    }
    if (!fat_next(dir_sector, dir_sector)) return true;
  }
  return true;
}

// FreeXL wants freexl_close even when freexl_open failed half-way.
class XlsHandle {
 public:
  explicit XlsHandle(const std::string& path) : path_(path) {
    if (!DirectoryNamesFit(path)) Fail(Kind::kCorrupt, "工作簿已损坏（目录项无效）", path);
    int rc = freexl_open(path.c_str(), &handle_);
    if (rc != FREEXL_OK) {
      if (handle_ != nullptr) freexl_close(handle_);
      handle_ = nullptr;
      FailOpen(rc);
    }
  }
  ~XlsHandle() {
    if (handle_ != nullptr) freexl_close(handle_);
  }
  XlsHandle(const XlsHandle&) = delete;
  XlsHandle& operator=(const XlsHandle&) = delete;

  const void* get() const { return handle_; }

  unsigned int Info(unsigned short what) const {
    unsigned int value = 0;
    if (freexl_get_info(handle_, what, &value) != FREEXL_OK) {
      Fail(Kind::kCorrupt, "工作簿已损坏，无法读取", path_);
    }
    return value;
  }

  [[noreturn]] void FailOpen(int rc) const {
    switch (rc) {
      case FREEXL_FILE_NOT_FOUND:
        Fail(Kind::kOpen, "无法打开文件", path_);
      case FREEXL_INSUFFICIENT_MEMORY:
        Fail(Kind::kTooLarge, "内存不足，无法读取工作簿", path_);
      case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        // An encrypted .xlsx is an OLE2 file without a BIFF workbook stream.
        Fail(Kind::kNotWorkbook, "文件不是有效的 Excel 工作簿（或有密码保护）", path_);
      case FREEXL_INVALID_CFBF_HEADER:
      case FREEXL_CFBF_INVALID_SIGNATURE:
        Fail(Kind::kNotWorkbook, "文件不是有效的 Excel 工作簿", path_);
      default:
        Fail(Kind::kCorrupt, "工作簿已损坏或不完整（FreeXL 错误 " + std::to_string(rc) + "）",
             path_);
    }
  }

 private:
  std::string path_;
  const void* handle_ = nullptr;
};

class SheetReader {
 public:
  SheetReader(const XlsHandle& xls, const std::string& path, bool date1904)
      : xls_(xls), path_(path), date1904_(date1904) {}

  void Read(unsigned short index, Sheet& sheet);

 private:
  void Store(const FreeXL_CellValue& value, unsigned int row, unsigned short col, Sheet& sheet);

  const XlsHandle& xls_;
  const std::string& path_;
  bool date1904_;
  // FreeXL hands out one pointer per shared string, so equal pointers are
  // the same text: keep it once in the pool.
  std::unordered_map<const char*, std::uint32_t> shared_;
};

void SheetReader::Read(unsigned short index, Sheet& sheet) {
  unsigned int rows = 0;
  unsigned short cols = 0;
  if (freexl_select_active_worksheet(xls_.get(), index) != FREEXL_OK ||
      freexl_worksheet_dimensions(xls_.get(), &rows, &cols) != FREEXL_OK) {
    Fail(Kind::kCorrupt, "工作簿已损坏，无法读取工作表 " + sheet.name(), path_);
  }
  sheet.Reserve(rows, cols);
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      FreeXL_CellValue value;
      if (freexl_get_cell_value(xls_.get(), r, c, &value) != FREEXL_OK) {
        Fail(Kind::kCorrupt,
             "工作簿已损坏，无法读取工作表 " + sheet.name() + " 的单元格 " + ColumnLetters(c) +
                 std::to_string(r + 1),
             path_);
      }
      Store(value, r, c, sheet);
    }
  }
  sheet.Trim();
}

void SheetReader::Store(const FreeXL_CellValue& value, unsigned int row, unsigned short col,
                        Sheet& sheet) {
  switch (value.type) {
    case FREEXL_CELL_INT:
      sheet.SetNumber(row, col, value.value.int_value);
      return;
    case FREEXL_CELL_DOUBLE:
      sheet.SetNumber(row, col, value.value.double_value);
      return;
    case FREEXL_CELL_SST_TEXT: {
      if (value.value.text_value == nullptr || *value.value.text_value == '\0') return;
      auto [it, added] = shared_.try_emplace(value.value.text_value, 0);
      if (added) it->second = sheet.strings().Add(value.value.text_value);
      sheet.SetTextIndex(row, col, it->second);
      return;
    }
    case FREEXL_CELL_TEXT:
      if (value.value.text_value != nullptr && *value.value.text_value != '\0') {
        sheet.SetText(row, col, value.value.text_value);
      }
      return;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
      if (value.value.text_value == nullptr) return;
      // FreeXL formats dates as text; give back the serial number an .xlsx
      // would hold, keeping the text when it does not parse.
      std::optional<double> serial = SerialFromDateText(value.value.text_value, date1904_);
      if (serial) {
        sheet.SetNumber(row, col, *serial);
      } else {
        sheet.SetText(row, col, value.value.text_value);
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace

Workbook ReadXls(const std::string& path, const ReadOptions& options) {
  XlsHandle xls(path);
  if (xls.Info(FREEXL_BIFF_PASSWORD) == FREEXL_BIFF_OBFUSCATED) {
    Fail(Kind::kPassword, "工作簿有密码保护，不能读取", path);
  }
  unsigned int count = xls.Info(FREEXL_BIFF_SHEET_COUNT);
  bool date1904 = xls.Info(FREEXL_BIFF_DATEMODE) == FREEXL_BIFF_DATEMODE_1904;
  Workbook book;
  SheetReader reader(xls, path, date1904);
  for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
    const char* name = nullptr;
    auto index = static_cast<unsigned short>(i);
    if (freexl_get_worksheet_name(xls.get(), index, &name) != FREEXL_OK || name == nullptr) {
      Fail(Kind::kCorrupt, "工作簿已损坏，无法读取工作表名", path);
    }
    if (!options.Wants(name)) continue;
    reader.Read(index, book.AddSheet(name));
  }
  return book;
}

}  // namespace data
