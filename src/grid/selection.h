// Handles onto a grid: a rectangle of cells (GridRange, and the grid's
// current selection through GridSelection), one cell (CellRef) and one
// column (ColumnRef). They hold a reference to their grid and must not
// outlive it; they are cheap to copy.
#pragma once

#include <string>

#include "grid/style.h"

namespace grid {

class ReportGrid;

// Inclusive rectangle; first <= last in both directions.
struct CellRect {
  int first_row = 0;
  int first_col = 0;
  int last_row = 0;
  int last_col = 0;
  bool Contains(int r, int c) const {
    return r >= first_row && r <= last_row && c >= first_col && c <= last_col;
  }
  bool Intersects(const CellRect& o) const {
    return first_row <= o.last_row && o.first_row <= last_row && first_col <= o.last_col &&
           o.first_col <= last_col;
  }
  bool IsSingleCell() const { return first_row == last_row && first_col == last_col; }
  bool operator==(const CellRect&) const = default;
};

class CellRef {
 public:
  CellRef(ReportGrid& grid, int row, int col);
  int row() const { return row_; }
  int col() const { return col_; }
  std::string Text() const;
  void SetText(std::string_view text);
  std::string Tag() const;
  void SetTag(std::string_view tag);
  const CellStyle& Style() const;
  void SetStyle(const CellStyle& style);
  bool WrapText() const { return Style().wrap_text; }
  void SetWrapText(bool on);
  double FontSize() const;  // the effective size, default font included
  void SetFontSize(double size);
  bool Bold() const { return Style().bold; }
  bool Italic() const { return Style().italic; }
  bool Underline() const { return Style().underline; }

 private:
  ReportGrid* grid_;
  int row_;
  int col_;
};

class ColumnRef {
 public:
  ColumnRef(ReportGrid& grid, int col);
  int Width() const;
  void SetWidth(int pixels);  // 0 hides the column
  int Mask() const;
  void SetMask(int mask);
  std::string FormatString() const;
  void SetFormatString(std::string_view format);
  int Alignment() const;
  void SetAlignment(int code);
  void AutoFit();
  void Sort(bool ascending);

 private:
  ReportGrid* grid_;
  int col_;
};

// The operations a rectangle of cells offers; the style setters change every
// cell of the rectangle.
class GridRange {
 public:
  GridRange(ReportGrid& grid, CellRect rect);
  const CellRect& rect() const { return rect_; }
  int FirstRow() const { return rect_.first_row; }
  int LastRow() const { return rect_.last_row; }
  int FirstCol() const { return rect_.first_col; }
  int LastCol() const { return rect_.last_col; }

  void Select();  // makes this the grid's selection
  bool Selected() const;
  void SetSelected(bool on) {  // false leaves the selection as it is
    if (on) Select();
  }
  void Merge();                    // same as SetMergeCells(true)
  bool MergeCells() const;         // true when the rectangle is exactly one merge
  void SetMergeCells(bool merge);  // false removes every merge it touches

  bool WrapText() const;
  void SetWrapText(bool on);
  bool Locked() const;
  void SetLocked(bool on);
  int Alignment() const;
  void SetAlignment(int code);
  int Borders(int edge) const;
  void SetBorders(int edge, int line_style);
  std::string FontName() const;
  void SetFontName(std::string_view name);
  double FontSize() const;
  void SetFontSize(double size);
  bool FontBold() const;
  void SetFontBold(bool on);
  bool FontItalic() const;
  void SetFontItalic(bool on);
  bool FontUnderline() const;
  void SetFontUnderline(bool on);
  Color BackColor() const;
  void SetBackColor(Color color);
  Color ForeColor() const;
  void SetForeColor(Color color);

 protected:
  const CellStyle& FirstStyle() const;
  ReportGrid* grid_;
  CellRect rect_;
};

// The grid's current selection: a range plus the clipboard and the row and
// column edits that act on whole rows or columns of it.
class GridSelection : public GridRange {
 public:
  explicit GridSelection(ReportGrid& grid);
  void CutData();     // copies, then empties the unlocked cells
  void CopyData();    // tab-separated columns, newline-separated rows
  void PasteData();   // from the top-left cell; throws GridError on empty clipboard
  void InsertRows();  // as many rows as selected, before the first
  void InsertCols();
  void DeleteByRow();  // deletes the selected rows (never all of them)
  void DeleteByCol();
};

}  // namespace grid
