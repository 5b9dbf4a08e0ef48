#include "grid/selection.h"

#include "grid/report_grid.h"

namespace grid {

// ---- CellRef

CellRef::CellRef(ReportGrid& grid, int row, int col) : grid_(&grid), row_(row), col_(col) {
  grid.CheckRow(row);
  grid.CheckCol(col);
}

std::string CellRef::Text() const {
  return std::string(grid_->CellText(row_, col_));
}
void CellRef::SetText(std::string_view text) {
  grid_->SetCellText(row_, col_, text);
}
std::string CellRef::Tag() const {
  return std::string(grid_->CellTag(row_, col_));
}
void CellRef::SetTag(std::string_view tag) {
  grid_->SetCellTag(row_, col_, tag);
}
const CellStyle& CellRef::Style() const {
  return grid_->CellStyleAt(row_, col_);
}
void CellRef::SetStyle(const CellStyle& style) {
  grid_->SetCellStyle(row_, col_, style);
}

void CellRef::SetWrapText(bool on) {
  grid_->ModifyStyles({row_, col_, row_, col_}, [on](CellStyle& s) { s.wrap_text = on; });
}

double CellRef::FontSize() const {
  return grid_->CellFont(row_, col_).size;
}

void CellRef::SetFontSize(double size) {
  if (!(size > 0 && size <= 409)) throw GridError("字号超出范围：" + std::to_string(size));
  grid_->ModifyStyles({row_, col_, row_, col_}, [size](CellStyle& s) { s.font_size = size; });
}

// ---- ColumnRef

ColumnRef::ColumnRef(ReportGrid& grid, int col) : grid_(&grid), col_(col) {
  grid.CheckCol(col);
}

int ColumnRef::Width() const {
  return grid_->ColumnAt(col_).width;
}
void ColumnRef::SetWidth(int pixels) {
  grid_->SetColWidth(col_, pixels);
}
int ColumnRef::Mask() const {
  return grid_->ColumnAt(col_).mask;
}
void ColumnRef::SetMask(int mask) {
  grid_->SetColMask(col_, mask);
}
std::string ColumnRef::FormatString() const {
  return grid_->ColumnAt(col_).format;
}
void ColumnRef::SetFormatString(std::string_view format) {
  grid_->SetColFormat(col_, format);
}
int ColumnRef::Alignment() const {
  return grid_->ColumnAt(col_).alignment;
}
void ColumnRef::SetAlignment(int code) {
  grid_->SetColAlignment(col_, code);
}
void ColumnRef::AutoFit() {
  grid_->AutoFit(col_);
}
void ColumnRef::Sort(bool ascending) {
  grid_->Sort(col_, ascending);
}

// ---- GridRange

GridRange::GridRange(ReportGrid& grid, CellRect rect) : grid_(&grid), rect_(rect) {
  grid.CheckRow(rect.first_row);
  grid.CheckRow(rect.last_row);
  grid.CheckCol(rect.first_col);
  grid.CheckCol(rect.last_col);
}

void GridRange::Select() {
  grid_->Select(rect_);
}
bool GridRange::Selected() const {
  return grid_->SelectionRect() == rect_;
}
void GridRange::Merge() {
  SetMergeCells(true);
}

bool GridRange::MergeCells() const {
  auto m = grid_->MergeAt(rect_.first_row, rect_.first_col);
  return m && *m == rect_;
}

void GridRange::SetMergeCells(bool merge) {
  if (merge)
    grid_->AddMerge(rect_);
  else
    grid_->RemoveMerges(rect_);
}

const CellStyle& GridRange::FirstStyle() const {
  return grid_->CellStyleAt(rect_.first_row, rect_.first_col);
}

bool GridRange::WrapText() const {
  return FirstStyle().wrap_text;
}
void GridRange::SetWrapText(bool on) {
  grid_->ModifyStyles(rect_, [on](CellStyle& s) { s.wrap_text = on; });
}
bool GridRange::Locked() const {
  return FirstStyle().locked;
}
void GridRange::SetLocked(bool on) {
  grid_->ModifyStyles(rect_, [on](CellStyle& s) { s.locked = on; });
}
int GridRange::Alignment() const {
  return FirstStyle().alignment;
}
void GridRange::SetAlignment(int code) {
  if (!IsValidAlignment(code)) throw GridError("对齐方式无效：" + std::to_string(code));
  grid_->ModifyStyles(rect_, [code](CellStyle& s) { s.alignment = code; });
}

int GridRange::Borders(int edge) const {
  const CellRect& r = rect_;
  switch (edge) {
    case kEdgeLeft:
    case kEdgeTop:
    case kEdgeDiagonalDown:
    case kEdgeDiagonalUp:
      return FirstStyle().borders[static_cast<std::size_t>(edge)];
    case kEdgeRight:
      return grid_->CellStyleAt(r.first_row, r.last_col).borders[kEdgeRight];
    case kEdgeBottom:
      return grid_->CellStyleAt(r.last_row, r.first_col).borders[kEdgeBottom];
    case kEdgeInsideVertical:
      return r.first_col == r.last_col ? kLineNone : FirstStyle().borders[kEdgeRight];
    case kEdgeInsideHorizontal:
      return r.first_row == r.last_row ? kLineNone : FirstStyle().borders[kEdgeBottom];
    default:
      throw GridError("边框序号无效：" + std::to_string(edge));
  }
}

// Edges 0-3 go to the cells on that side of the rectangle; the inner edges
// become the facing sides of neighbouring cells inside it, so that a painter
// may draw either side.
void GridRange::SetBorders(int edge, int line_style) {
  if (edge < 0 || edge >= kEdgeCount) throw GridError("边框序号无效：" + std::to_string(edge));
  if (line_style < kLineNone || line_style > kLineThick)
    throw GridError("线型无效：" + std::to_string(line_style));
  auto style = static_cast<std::uint8_t>(line_style);
  const CellRect r = rect_;
  auto set_side = [&](CellRect part, int side) {
    grid_->ModifyStyles(
        part, [side, style](CellStyle& s) { s.borders[static_cast<std::size_t>(side)] = style; });
  };
  switch (edge) {
    case kEdgeLeft:
      set_side({r.first_row, r.first_col, r.last_row, r.first_col}, kEdgeLeft);
      break;
    case kEdgeTop:
      set_side({r.first_row, r.first_col, r.first_row, r.last_col}, kEdgeTop);
      break;
    case kEdgeRight:
      set_side({r.first_row, r.last_col, r.last_row, r.last_col}, kEdgeRight);
      break;
    case kEdgeBottom:
      set_side({r.last_row, r.first_col, r.last_row, r.last_col}, kEdgeBottom);
      break;
    case kEdgeInsideVertical:
      if (r.first_col == r.last_col) return;
      set_side({r.first_row, r.first_col, r.last_row, r.last_col - 1}, kEdgeRight);
      set_side({r.first_row, r.first_col + 1, r.last_row, r.last_col}, kEdgeLeft);
      break;
    case kEdgeInsideHorizontal:
      if (r.first_row == r.last_row) return;
      set_side({r.first_row, r.first_col, r.last_row - 1, r.last_col}, kEdgeBottom);
      set_side({r.first_row + 1, r.first_col, r.last_row, r.last_col}, kEdgeTop);
      break;
    default:
      set_side(r, edge);
  }
}

std::string GridRange::FontName() const {
  return grid_->CellFont(rect_.first_row, rect_.first_col).name;
}
void GridRange::SetFontName(std::string_view name) {
  std::string n(name);
  grid_->ModifyStyles(rect_, [&n](CellStyle& s) { s.font_name = n; });
}
double GridRange::FontSize() const {
  return grid_->CellFont(rect_.first_row, rect_.first_col).size;
}
void GridRange::SetFontSize(double size) {
  if (!(size > 0 && size <= 409)) throw GridError("字号超出范围：" + std::to_string(size));
  grid_->ModifyStyles(rect_, [size](CellStyle& s) { s.font_size = size; });
}
bool GridRange::FontBold() const {
  return FirstStyle().bold;
}
void GridRange::SetFontBold(bool on) {
  grid_->ModifyStyles(rect_, [on](CellStyle& s) { s.bold = on; });
}
bool GridRange::FontItalic() const {
  return FirstStyle().italic;
}
void GridRange::SetFontItalic(bool on) {
  grid_->ModifyStyles(rect_, [on](CellStyle& s) { s.italic = on; });
}
bool GridRange::FontUnderline() const {
  return FirstStyle().underline;
}
void GridRange::SetFontUnderline(bool on) {
  grid_->ModifyStyles(rect_, [on](CellStyle& s) { s.underline = on; });
}
Color GridRange::BackColor() const {
  return FirstStyle().back_color;
}
void GridRange::SetBackColor(Color color) {
  grid_->ModifyStyles(rect_, [color](CellStyle& s) { s.back_color = color; });
}
Color GridRange::ForeColor() const {
  return FirstStyle().fore_color;
}
void GridRange::SetForeColor(Color color) {
  grid_->ModifyStyles(rect_, [color](CellStyle& s) { s.fore_color = color; });
}

// ---- GridSelection: row and column edits; clipboard members live in
// clipboard_text.cpp.

GridSelection::GridSelection(ReportGrid& grid) : GridRange(grid, grid.SelectionRect()) {}

void GridSelection::InsertRows() {
  grid_->InsertRow(rect_.first_row, rect_.last_row - rect_.first_row + 1);
}

void GridSelection::InsertCols() {
  grid_->InsertCol(rect_.first_col, rect_.last_col - rect_.first_col + 1);
}

void GridSelection::DeleteByRow() {
  grid_->DeleteRows(rect_.first_row, rect_.last_row - rect_.first_row + 1);
}

void GridSelection::DeleteByCol() {
  grid_->DeleteCols(rect_.first_col, rect_.last_col - rect_.first_col + 1);
}

}  // namespace grid
