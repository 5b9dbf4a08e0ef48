// ReportGrid: the model of every report. It knows nothing of widgets: the
// desktop view paints it and subscribes to its change notifications, the
// command-line tool exports it, tests inspect it.
//
// Row 0 is the header row and column 0 the row-header column. Rows and
// columns are numbered from 0; every member that takes a row or a column
// throws GridError when it is out of range.
//
// Storage: a row is a vector of 24-byte cells (text, style index, tag index);
// styles and tags are interned per grid.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/clipboard.h"
#include "grid/compact_text.h"
#include "grid/grid_error.h"
#include "grid/page_setup.h"
#include "grid/report_titles.h"
#include "grid/selection.h"
#include "grid/style.h"
#include "grid/text_measurer.h"

namespace grid {

inline constexpr int kDefaultRowHeight = 20;  // pixels at 96 dpi
inline constexpr int kDefaultColWidth = 64;
inline constexpr int kRowHeaderWidth = 40;

// Input masks: what the view lets the user type into a column.
inline constexpr int kMaskNone = 0;
inline constexpr int kMaskText = 3;    // any text
inline constexpr int kMaskNumber = 5;  // a number or nothing

// What changed, for observers. While AutoRedraw is off, changes are held
// back and delivered as one kAll when it is switched on again; selection
// changes are always delivered at once.
enum class GridChange { kContents, kStyle, kShape, kLayout, kSelection, kAll };
using GridObserver = std::function<void(GridChange)>;

struct ColumnInfo {
  int width = kDefaultColWidth;  // pixels; 0 hides the column
  int mask = kMaskNone;
  std::string format;  // display format, e.g. "0.00"; empty shows texts as stored
  int alignment = kAlignGeneral;
  bool operator==(const ColumnInfo&) const = default;
};

class ReportGrid {
 public:
  // A grid of `rows` x `cols` empty cells (at least 1 x 1), one fixed row
  // and one fixed column.
  explicit ReportGrid(int rows = 2, int cols = 2);

  // Copies carry the contents, not the observers.
  ReportGrid(const ReportGrid& other);
  ReportGrid& operator=(const ReportGrid& other);
  ReportGrid(ReportGrid&&) noexcept;
  ReportGrid& operator=(ReportGrid&&) noexcept;
  ~ReportGrid();

  // Takes over `other`'s contents, keeping this grid's observers, clipboard
  // and measurer; observers hear kAll.
  void ReplaceContents(ReportGrid&& other);

  // ---- shape
  int Rows() const { return static_cast<int>(rows_.size()); }
  int Cols() const { return static_cast<int>(columns_.size()); }
  void SetRows(int rows);  // >= 1; 1 keeps only the header row
  void SetCols(int cols);  // >= 1
  int FixedRows() const { return fixed_rows_; }
  void SetFixedRows(int n);  // 0 .. Rows()
  int FixedCols() const { return fixed_cols_; }
  void SetFixedCols(int n);
  bool DisplayRowIndex() const { return display_row_index_; }
  void SetDisplayRowIndex(bool on);
  bool AllowUserSort() const { return allow_user_sort_; }
  void SetAllowUserSort(bool on) { allow_user_sort_ = on; }

  // ---- cells
  CellRef Cell(int row, int col);
  // The views stay valid until the grid next changes.
  std::string_view CellText(int row, int col) const;
  void SetCellText(int row, int col, std::string_view text);
  std::string_view CellTag(int row, int col) const;
  void SetCellTag(int row, int col, std::string_view tag);
  std::uint32_t CellStyleIndex(int row, int col) const;
  const CellStyle& CellStyleAt(int row, int col) const;
  void SetCellStyle(int row, int col, const CellStyle& style);
  // The style as painted: default font filled in, general alignment
  // replaced by the column's.
  CellStyle ResolvedStyle(int row, int col) const;
  Font CellFont(int row, int col) const;
  // What the cell shows: the row number in column 0 when DisplayRowIndex is
  // on, else the text formatted by its column's display format. The header
  // row and the fixed columns show their text as it is; a fixed row below
  // the header (a totals row kept out of a sort) is formatted like the data.
  std::string DisplayText(int row, int col) const;
  // Applies `edit` to the style of every cell of `rect`.
  void ModifyStyles(const CellRect& rect, const std::function<void(CellStyle&)>& edit);

  // ---- columns and rows
  ColumnRef Column(int col);
  const ColumnInfo& ColumnAt(int col) const;
  void SetColumnInfo(int col, const ColumnInfo& info);
  int ColWidth(int col) const { return ColumnAt(col).width; }
  void SetColWidth(int col, int pixels);
  void SetColMask(int col, int mask);
  void SetColFormat(int col, std::string_view format);
  void SetColAlignment(int col, int code);
  // Widens or narrows the column to its widest display text.
  void AutoFit(int col);
  // Whether the column's mask lets the user enter `text`.
  bool AcceptsInput(int col, std::string_view text) const;
  int RowHeight(int row) const;
  void SetRowHeight(int row, int pixels);  // 0 hides the row

  // ---- structure
  void InsertRow(int at, int count = 1);  // at == Rows() appends
  void InsertCol(int at, int count = 1);
  void DeleteRows(int first, int count);
  void DeleteCols(int first, int count);
  // Appends one row; `text`'s tab characters separate its cells from column
  // 0 on, extra fields are dropped. With notify false observers hear
  // nothing (as when AutoRedraw is off).
  void AddItem(std::string_view text, bool notify = true);

  // ---- merges, ranges, selection
  GridRange Range(int r1, int c1, int r2, int c2);  // corners in any order
  const std::vector<CellRect>& Merges() const { return merges_; }
  std::optional<CellRect> MergeAt(int row, int col) const;
  void AddMerge(const CellRect& rect);  // replaces merges it overlaps
  void RemoveMerges(const CellRect& rect);
  GridSelection Selection();
  const CellRect& SelectionRect() const { return selection_; }
  void Select(const CellRect& rect);
  CellRef ActiveCell();
  std::pair<int, int> ActiveCellPosition() const { return active_; }
  void SetActiveCell(int row, int col);  // also selects that cell

  // ---- sort: the data rows (below the fixed rows), stable. Keys that both
  // read wholly as numbers compare as numbers, numbers before texts, texts by
  // code point; descending reverses that order. Empty cells stay last in
  // both directions.
  void Sort(int col, bool ascending);
  // A header double-click in user-sort mode: ascending on a new column, the
  // other direction on the column sorted last. Does nothing when the mode
  // is off or `col` is a fixed column.
  void UserSort(int col);

  // ---- print titles and page setup
  ReportTitleList& ReportTitles() { return titles_; }
  const ReportTitleList& ReportTitles() const { return titles_; }
  PageSettings& PageSetup() { return page_; }
  const PageSettings& PageSetup() const { return page_; }

  // ---- drawing
  bool AutoRedraw() const { return auto_redraw_; }
  void SetAutoRedraw(bool on);
  void Refresh();                        // tells observers to repaint everything
  int Subscribe(GridObserver observer);  // returns an id for Unsubscribe
  void Unsubscribe(int id);
  const Font& DefaultFont() const { return default_font_; }
  void SetDefaultFont(const Font& font);  // size 1 .. 409, else GridError
  void SetDefaultFontSize(double size);

  // ---- services
  void SetClipboard(std::shared_ptr<Clipboard> clipboard);
  Clipboard& clipboard() const { return *clipboard_; }
  void SetMeasurer(std::shared_ptr<const TextMeasurer> measurer);
  const TextMeasurer& measurer() const { return *measurer_; }
  const StyleTable& Styles() const { return styles_; }
  std::uint32_t InternStyle(const CellStyle& style) { return styles_.Intern(style); }
  void SetCellStyleIndex(int row, int col, std::uint32_t index);

  // Range checks, throwing GridError.
  void CheckRow(int row) const;
  void CheckCol(int col) const;

 private:
  struct CellData {
    CompactText text;
    std::uint32_t style = 0;
    std::uint32_t tag = 0;  // index into tags_, 0 = none
  };
  struct RowData {
    std::vector<CellData> cells;
    int height = kDefaultRowHeight;
  };
  struct ObserverList {
    std::vector<std::pair<int, GridObserver>> items;
    int next_id = 1;
  };

  const CellData& At(int row, int col) const;
  CellData& At(int row, int col);
  RowData NewRow() const;
  std::uint32_t InternTag(std::string_view tag);
  void Notify(GridChange change);
  void ShiftMergesForRows(int at, int delta);
  void ShiftMergesForCols(int at, int delta);
  void ClampSelection();

  std::vector<RowData> rows_;
  std::vector<ColumnInfo> columns_;
  StyleTable styles_;
  std::vector<std::string> tags_{""};
  std::vector<CellRect> merges_;
  int fixed_rows_ = 1;
  int fixed_cols_ = 1;
  bool display_row_index_ = false;
  bool allow_user_sort_ = false;
  int user_sort_col_ = -1;
  bool user_sort_ascending_ = false;
  CellRect selection_{1, 1, 1, 1};
  std::pair<int, int> active_{1, 1};
  ReportTitleList titles_;
  PageSettings page_;
  Font default_font_;
  bool auto_redraw_ = true;
  bool pending_change_ = false;
  std::shared_ptr<Clipboard> clipboard_;
  std::shared_ptr<const TextMeasurer> measurer_;
  ObserverList observers_;
};

}  // namespace grid
