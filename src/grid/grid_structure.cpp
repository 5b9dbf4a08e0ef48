// Row and column insertion and deletion, AddItem, merges and the selection
// rectangle: the edits that change which cell sits where.
#include <algorithm>

#include "grid/edit_journal.h"
#include "grid/report_grid.h"

namespace grid {

void ReportGrid::InsertRow(int at, int count) {
  if (at < 0 || at > Rows()) throw GridError("插入行的位置超出范围：" + std::to_string(at));
  if (count < 0) throw GridError("插入的行数不能为负数");
  if (count == 0) return;
  PutBlankRows(at, count);
}

void ReportGrid::InsertCol(int at, int count) {
  if (at < 0 || at > Cols()) throw GridError("插入列的位置超出范围：" + std::to_string(at));
  if (count < 0) throw GridError("插入的列数不能为负数");
  if (count == 0) return;
  const auto n = static_cast<std::size_t>(count);
  PutCols(at, std::vector<ColumnInfo>(n), {});
}

void ReportGrid::DeleteRows(int first, int count) {
  if (count <= 0) return;
  CheckRow(first);
  CheckRow(first + count - 1);
  if (count >= Rows()) throw GridError("不能删除全部的行");
  TakeRows(first, count);
}

void ReportGrid::DeleteCols(int first, int count) {
  if (count <= 0) return;
  CheckCol(first);
  CheckCol(first + count - 1);
  if (count >= Cols()) throw GridError("不能删除全部的列");
  TakeCols(first, count);
}

// The new row's texts go straight into the store: the journal's record of
// the insertion already undoes them.
void ReportGrid::AddItem(std::string_view text, bool notify) {
  const int row = Rows();
  PutBlankRows(row, 1, notify);
  std::size_t col = 0, start = 0;
  while (col < contents_.columns.size()) {
    auto tab = text.find('\t', start);
    std::string_view field =
        text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (!field.empty()) contents_.cells.SetText(static_cast<std::size_t>(row), col, field);
    ++col;
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
}

// Every change of shape comes here, so that the journal sees it once, with
// the merges and fixed rows and columns as they were.
void ReportGrid::PutBlankRows(int at, int count, bool notify) {
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::RowsInserted{at, count, CurrentFrame()});
  Changed();
  contents_.cells.InsertBlankRows(static_cast<std::size_t>(at), static_cast<std::size_t>(count),
                                  kDefaultRowHeight);
  ShiftMergesForRows(at, count);
  ClampSelection();
  if (notify) Notify(GridChange::kShape);
}

void ReportGrid::PutRows(int at, const std::vector<RowData>& rows) {
  const int count = static_cast<int>(rows.size());
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::RowsInserted{at, count, CurrentFrame()});
  Changed();
  contents_.cells.InsertRows(static_cast<std::size_t>(at), rows);
  ShiftMergesForRows(at, count);
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::TakeRows(int first, int count) {
  if (EditJournal* j = AttachedJournal()) {
    journal::RowsRemoved removed{first, {}, CurrentFrame()};
    removed.rows.reserve(static_cast<std::size_t>(count));
    for (int r = first; r < first + count; ++r)
      removed.rows.push_back(contents_.cells.Row(static_cast<std::size_t>(r)));
    j->records_.emplace_back(std::move(removed));
  }
  Changed();
  contents_.cells.EraseRows(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
  ShiftMergesForRows(first, -count);
  contents_.fixed_rows = std::min(contents_.fixed_rows, Rows());
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::PutCols(int at, std::vector<ColumnInfo> columns, std::vector<CellData> cells) {
  const auto count = static_cast<std::ptrdiff_t>(columns.size());
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::ColsInserted{at, static_cast<int>(count), CurrentFrame()});
  Changed();
  contents_.columns.insert(contents_.columns.begin() + at, std::make_move_iterator(columns.begin()),
                           std::make_move_iterator(columns.end()));
  contents_.cells.InsertCols(static_cast<std::size_t>(at), static_cast<std::size_t>(count), cells);
  ShiftMergesForCols(at, static_cast<int>(count));
  ClampSelection();
  Notify(GridChange::kShape);
}

void ReportGrid::TakeCols(int first, int count) {
  if (EditJournal* j = AttachedJournal()) {
    journal::ColsRemoved removed{first, {}, {}, CurrentFrame()};
    const auto c = contents_.columns.begin() + first;
    removed.columns.assign(c, c + count);
    removed.cells =
        contents_.cells.ColsCells(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    j->records_.emplace_back(std::move(removed));
  }
  Changed();
  contents_.columns.erase(contents_.columns.begin() + first,
                          contents_.columns.begin() + first + count);
  contents_.cells.EraseCols(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
  ShiftMergesForCols(first, -count);
  contents_.fixed_cols = std::min(contents_.fixed_cols, Cols());
  ClampSelection();
  Notify(GridChange::kShape);
}

// A merge is kept while it lies wholly before or after the edit; one that
// straddles an insertion grows, one that loses rows to a deletion shrinks.
void ReportGrid::ShiftMergesForRows(int at, int delta) {
  int end = at - delta;  // after a deletion: the first row past the deleted ones
  auto first = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at; };
  auto last = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at - 1; };
  contents_.merges.EditAll([&](CellRect& m) {
    m.first_row = first(m.first_row);
    m.last_row = last(m.last_row);
  });
}

void ReportGrid::ShiftMergesForCols(int at, int delta) {
  int end = at - delta;  // after a deletion: the first col past the deleted ones
  auto first = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at; };
  auto last = [&](int v) { return v < at ? v : (delta > 0 || v >= end) ? v + delta : at - 1; };
  contents_.merges.EditAll([&](CellRect& m) {
    m.first_col = first(m.first_col);
    m.last_col = last(m.last_col);
  });
}

GridRange ReportGrid::Range(int r1, int c1, int r2, int c2) {
  CheckRow(r1);
  CheckRow(r2);
  CheckCol(c1);
  CheckCol(c2);
  return GridRange(*this, {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)});
}

std::optional<CellRect> ReportGrid::MergeAt(int row, int col) const {
  return contents_.merges.At(row, col);
}

void ReportGrid::AddMerge(const CellRect& rect) {
  CheckRow(rect.first_row);
  CheckRow(rect.last_row);
  CheckCol(rect.first_col);
  CheckCol(rect.last_col);
  if (rect.first_row > rect.last_row || rect.first_col > rect.last_col)
    throw GridError("合并区域无效");
  RecordFrame();
  contents_.merges.Add(rect);
  Notify(GridChange::kLayout);
}

void ReportGrid::RemoveMerges(const CellRect& rect) {
  RecordFrame();
  contents_.merges.RemoveMeeting(rect);
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
