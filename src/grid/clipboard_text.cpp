#include "grid/clipboard_text.h"

#include "grid/report_grid.h"

namespace grid {

std::string CellsToClipboardText(const ReportGrid& grid, const CellRect& rect) {
  std::string out;
  for (int r = rect.first_row; r <= rect.last_row; ++r) {
    if (r > rect.first_row) out += "\r\n";
    for (int c = rect.first_col; c <= rect.last_col; ++c) {
      if (c > rect.first_col) out += '\t';
      out += grid.CellText(r, c);
    }
  }
  return out;
}

std::vector<std::vector<std::string>> ParseClipboardText(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  if (text.empty()) return rows;
  if (text.ends_with("\r\n"))
    text.remove_suffix(2);
  else if (text.ends_with('\n') || text.ends_with('\r'))
    text.remove_suffix(1);
  rows.emplace_back(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '\t') {
      rows.back().emplace_back();
    } else if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      rows.emplace_back(1);
    } else {
      rows.back().back() += ch;
    }
  }
  return rows;
}

void GridSelection::CopyData() {
  grid_->clipboard().SetText(CellsToClipboardText(*grid_, rect_));
}

void GridSelection::CutData() {
  CopyData();
  bool saved = grid_->AutoRedraw();
  grid_->SetAutoRedraw(false);
  for (int r = rect_.first_row; r <= rect_.last_row; ++r)
    for (int c = rect_.first_col; c <= rect_.last_col; ++c)
      if (!grid_->CellStyleAt(r, c).locked) grid_->SetCellText(r, c, {});
  grid_->SetAutoRedraw(saved);
}

// Cells that fall outside the grid are dropped; locked cells keep their text.
void GridSelection::PasteData() {
  auto rows = ParseClipboardText(grid_->clipboard().Text());
  if (rows.empty()) throw GridError("剪贴板中没有可粘贴的内容");
  bool saved = grid_->AutoRedraw();
  grid_->SetAutoRedraw(false);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    int r = rect_.first_row + static_cast<int>(i);
    if (r >= grid_->Rows()) break;
    for (std::size_t j = 0; j < rows[i].size(); ++j) {
      int c = rect_.first_col + static_cast<int>(j);
      if (c >= grid_->Cols()) break;
      if (!grid_->CellStyleAt(r, c).locked) grid_->SetCellText(r, c, rows[i][j]);
    }
  }
  grid_->SetAutoRedraw(saved);
}

}  // namespace grid
