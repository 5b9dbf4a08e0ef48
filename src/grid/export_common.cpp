#include <fstream>

#include "grid/export.h"

namespace grid {

std::vector<int> ExportedColumns(const ReportGrid& grid, bool include_hidden) {
  std::vector<int> cols;
  int first = grid.PageSetup().print_fixed_column ? 0 : 1;
  if (grid.Cols() == 1) first = 0;
  for (int c = first; c < grid.Cols(); ++c)
    if (include_hidden || grid.ColWidth(c) > 0) cols.push_back(c);
  return cols;
}

std::vector<int> ExportedRows(const ReportGrid& grid, bool include_hidden) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(grid.Rows()));
  for (int r = 0; r < grid.Rows(); ++r)
    if (include_hidden || grid.RowHeight(r) > 0) rows.push_back(r);
  return rows;
}

Status WriteTextFile(const std::string& path, std::string_view text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return Status::Error("无法写入文件：" + path);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  if (!file) return Status::Error("写入文件失败：" + path);
  return Status::Ok();
}

}  // namespace grid
