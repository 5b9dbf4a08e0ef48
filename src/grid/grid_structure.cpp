// Row and column insertion and deletion, AddItem, merges and the selection
// rectangle: the edits that change which cell sits where.
#include <algorithm>

#include "grid/report_grid.h"

namespace grid {

void ReportGrid::InsertRow(int at, int count) {
  if (at < 0 || at > Rows()) throw GridError("插入行的位置超出范围：" + std::to_string(at));
  if (count < 0) throw GridError("插入的行数不能为负数");
  if (count == 0) return;
  contents_.rows.insert(contents_.rows.begin() + at, static_cast<std::size_t>(count), NewRow());
  ShiftMergesForRows(at, count);
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::InsertCol(int at, int count) {
  if (at < 0 || at > Cols()) throw GridError("插入列的位置超出范围：" + std::to_string(at));
  if (count < 0) throw GridError("插入的列数不能为负数");
  if (count == 0) return;
  contents_.columns.insert(contents_.columns.begin() + at, static_cast<std::size_t>(count),
                           ColumnInfo{});
  for (auto& row : contents_.rows)
    row.cells.insert(row.cells.begin() + at, static_cast<std::size_t>(count), {});
  ShiftMergesForCols(at, count);
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::DeleteRows(int first, int count) {
  if (count <= 0) return;
  CheckRow(first);
  CheckRow(first + count - 1);
  if (count >= Rows()) throw GridError("不能删除全部的行");
  contents_.rows.erase(contents_.rows.begin() + first, contents_.rows.begin() + first + count);
  ShiftMergesForRows(first, -count);
  contents_.fixed_rows = std::min(contents_.fixed_rows, Rows());
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::DeleteCols(int first, int count) {
  if (count <= 0) return;
  CheckCol(first);
  CheckCol(first + count - 1);
  if (count >= Cols()) throw GridError("不能删除全部的列");
  contents_.columns.erase(contents_.columns.begin() + first,
                          contents_.columns.begin() + first + count);
  for (auto& row : contents_.rows)
    row.cells.erase(row.cells.begin() + first, row.cells.begin() + first + count);
  ShiftMergesForCols(first, -count);
  contents_.fixed_cols = std::min(contents_.fixed_cols, Cols());
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::AddItem(std::string_view text, bool notify) {
  RowData row = NewRow();
  std::size_t col = 0, start = 0;
  while (col < row.cells.size()) {
    auto tab = text.find('\t', start);
    std::string_view field =
        text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (!field.empty()) row.cells[col].text.Assign(field);
    ++col;
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  contents_.rows.push_back(std::move(row));
  if (notify) Notify(GridChange::kShape);
}

// A merge is kept while it lies wholly before or after the edit; one that
// straddles an insertion grows, one that loses rows to a deletion shrinks.
void ReportGrid::ShiftMergesForRows(int at, int delta) {
  int end = at - delta;  // after a deletion: the first row past the deleted ones
  auto first = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at; };
  auto last = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at - 1; };
  for (auto& m : contents_.merges) {
    m.first_row = first(m.first_row);
    m.last_row = last(m.last_row);
  }
  std::erase_if(contents_.merges,
                [](const CellRect& m) { return m.last_row < m.first_row || m.IsSingleCell(); });
}

void ReportGrid::ShiftMergesForCols(int at, int delta) {
  int end = at - delta;  // after a deletion: the first col past the deleted ones
  auto first = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at; };
  auto last = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at - 1; };
  for (auto& m : contents_.merges) {
    m.first_col = first(m.first_col);
    m.last_col = last(m.last_col);
  }
  std::erase_if(contents_.merges,
                [](const CellRect& m) { return m.last_col < m.first_col || m.IsSingleCell(); });
}

GridRange ReportGrid::Range(int r1, int c1, int r2, int c2) {
  CheckRow(r1);
  CheckRow(r2);
  CheckCol(c1);
  CheckCol(c2);
  return GridRange(*this, {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)});
}

std::optional<CellRect> ReportGrid::MergeAt(int row, int col) const {
  for (const auto& m : contents_.merges)
    if (m.Contains(row, col)) return m;
  return std::nullopt;
}

void ReportGrid::AddMerge(const CellRect& rect) {
  CheckRow(rect.first_row);
  CheckRow(rect.last_row);
  CheckCol(rect.first_col);
  CheckCol(rect.last_col);
  if (rect.first_row > rect.last_row || rect.first_col > rect.last_col)
    throw GridError("合并区域无效");
  std::erase_if(contents_.merges, [&](const CellRect& m) { return m.Intersects(rect); });
  if (!rect.IsSingleCell()) contents_.merges.push_back(rect);
  Notify(GridChange::kLayout);
}

void ReportGrid::RemoveMerges(const CellRect& rect) {
  std::erase_if(contents_.merges, [&](const CellRect& m) { return m.Intersects(rect); });
  Notify(GridChange::kLayout);
}

GridSelection ReportGrid::Selection() {
  return GridSelection(*this);
}

void ReportGrid::Select(const CellRect& rect) {
  CheckRow(rect.first_row);
  CheckRow(rect.last_row);
  CheckCol(rect.first_col);
  CheckCol(rect.last_col);
  contents_.selection = {
      std::min(rect.first_row, rect.last_row), std::min(rect.first_col, rect.last_col),
      std::max(rect.first_row, rect.last_row), std::max(rect.first_col, rect.last_col)};
  if (!contents_.selection.Contains(contents_.active.first, contents_.active.second))
    contents_.active = {contents_.selection.first_row, contents_.selection.first_col};
  Notify(GridChange::kSelection);
}

CellRef ReportGrid::ActiveCell() {
  return CellRef(*this, contents_.active.first, contents_.active.second);
}

void ReportGrid::SetActiveCell(int row, int col) {
  CheckRow(row);
  CheckCol(col);
  contents_.active = {row, col};
  Select({row, col, row, col});
}

void ReportGrid::ClampSelection() {
  int last_row = Rows() - 1, last_col = Cols() - 1;
  auto clamp = [](int v, int hi) { return std::clamp(v, 0, hi); };
  contents_.selection = {clamp(contents_.selection.first_row, last_row),
                         clamp(contents_.selection.first_col, last_col),
                         clamp(contents_.selection.last_row, last_row),
                         clamp(contents_.selection.last_col, last_col)};
  contents_.active = {clamp(contents_.active.first, last_row),
                      clamp(contents_.active.second, last_col)};
}

}  // namespace grid
