#include "data/xlsx_writer.h"

#include <xlsxwriter.h>

namespace data {

namespace {

[[noreturn]] void Fail(const std::string& path, lxw_error error) {
  throw WorkbookError(WorkbookError::Kind::kOpen,
                      std::string("无法写入工作簿（") + lxw_strerror(error) + "）：" + path);
}

lxw_error WriteSheet(lxw_worksheet* ws, const Sheet& sheet) {
  for (std::size_t r = 0; r < sheet.rows(); ++r) {
    for (std::size_t c = 0; c < sheet.cols(); ++c) {
      CellValue v = sheet.At(r, c);
      auto row = static_cast<lxw_row_t>(r);
      auto col = static_cast<lxw_col_t>(c);
      lxw_error e = LXW_NO_ERROR;
      if (v.kind == CellKind::kNumber) {
        e = worksheet_write_number(ws, row, col, v.number, nullptr);
      } else if (v.kind == CellKind::kText) {
        // The pool's texts are not NUL-terminated.
        std::string text(v.text);
        e = worksheet_write_string(ws, row, col, text.c_str(), nullptr);
      }
      if (e != LXW_NO_ERROR) return e;
    }
  }
  return LXW_NO_ERROR;
}

}  // namespace

void WriteWorkbookXlsx(const std::string& path, const Workbook& workbook) {
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
  if (wb == nullptr) Fail(path, LXW_ERROR_CREATING_XLSX_FILE);
  lxw_error error = LXW_NO_ERROR;
  for (const Sheet& sheet : workbook.sheets()) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.name().c_str());
    error = ws == nullptr ? LXW_ERROR_SHEETNAME_ALREADY_USED : WriteSheet(ws, sheet);
    if (error != LXW_NO_ERROR) break;
  }
  // workbook_close frees the workbook whether or not it could write it.
  lxw_error closed = workbook_close(wb);
  if (error == LXW_NO_ERROR) error = closed;
  if (error != LXW_NO_ERROR) Fail(path, error);
}

}  // namespace data
