#include "grid/export.h"

namespace grid {
namespace {

void AppendField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char ch : field) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace

std::string CsvText(const ReportGrid& grid) {
  std::string out = "\xEF\xBB\xBF";
  auto cols = ExportedColumns(grid, false);
  for (int r : ExportedRows(grid, false)) {
    for (std::size_t i = 0; i < cols.size(); ++i) {
      if (i > 0) out += ',';
      AppendField(out, grid.DisplayText(r, cols[i]));
    }
    out += "\r\n";
  }
  return out;
}

Status ExportToCsv(const ReportGrid& grid, const std::string& path) {
  try {
    return WriteTextFile(path, CsvText(grid));
  } catch (const std::exception& e) {
    return Status::Error(std::string("输出 CSV 失败：") + e.what());
  }
}

}  // namespace grid
