#include "data/xls_reader.h"

#include <freexl.h>

#include <unordered_map>

#include "data/xls_precheck.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;

[[noreturn]] void Fail(Kind kind, const std::string& what, const std::string& path) {
  throw WorkbookError(kind, what + "：" + path);
}

// FreeXL wants freexl_close even when freexl_open failed half-way.
class XlsHandle {
 public:
  explicit XlsHandle(const std::string& path) : path_(path) {
    if (std::string hazard = XlsHazard(path); !hazard.empty()) Fail(Kind::kCorrupt, hazard, path);
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
