// ReportGrid: the model of every report. It knows nothing of widgets: the
// desktop view paints it and subscribes to its change notifications, the
// command-line tool exports it, tests inspect it.
//
// Row 0 is the header row and column 0 the row-header column. Rows and
// columns are numbered from 0; every member that takes a row or a column
// throws GridError when it is out of range.
//
// Storage: the cells column by column in a CellStore (8 bytes a text,
// styles and tags only where set); styles and tags are interned per grid.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/cell_store.h"
#include "grid/clipboard.h"
#include "grid/compact_text.h"
#include "grid/grid_error.h"
#include "grid/merge_list.h"
#include "grid/page_setup.h"
#include "grid/report_titles.h"
#include "grid/selection.h"
#include "grid/style.h"
#include "grid/text_measurer.h"

namespace grid {

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

// One key of a sort on several columns.
struct SortColumn {
  int col;
  bool ascending;
};

struct ColumnInfo {
  int width = kDefaultColWidth;  // pixels; 0 hides the column
  int mask = kMaskNone;
  std::string format;  // display format, e.g. "0.00"; empty shows texts as stored
  int alignment = kAlignGeneral;
  bool operator==(const ColumnInfo&) const = default;
};

// Everything a grid shows, prints and saves, as one value: a copy of it is
// the same report. What belongs to a grid object rather than to its report
// (observers, AutoRedraw, the clipboard and text measurer services) lives
// outside, so nothing here needs a hand-written copy.
//
// Style and tag indexes point into this value's own tables, which only grow:
// a row taken out of a grid stays valid for that grid as long as its column
// count is unchanged.
struct GridContents {
  using Cell = CellValue;
  using Row = RowValue;

  CellStore cells;
  std::vector<ColumnInfo> columns;
  StyleTable styles;
  std::vector<std::string> tags{""};
  MergeList merges;
  int fixed_rows = 1;
  int fixed_cols = 1;
  bool display_row_index = false;
  bool allow_user_sort = false;
  // The column a header double-click sorted last, so that the next one on it
  // reverses the order.
  int user_sort_col = -1;
  bool user_sort_ascending = false;
  CellRect selection{1, 1, 1, 1};
  std::pair<int, int> active{1, 1};
  ReportTitleList titles;
  PageSettings page;
  Font default_font;

  bool operator==(const GridContents&) const = default;
};

class EditJournal;  // grid/edit_journal.h
namespace journal {
struct Frame;
}  // namespace journal

// Which version of its contents a grid holds: every change moves it on, and
// contents given to a grid whole (copied, moved or swapped in) get a
// revision no grid has had before.
struct GridRevision {
  std::uint64_t epoch = 0;
  std::uint64_t changes = 0;
  bool operator==(const GridRevision&) const = default;
};

class ReportGrid {
 public:
  // A grid of `rows` x `cols` empty cells (at least 1 x 1), one fixed row
  // and one fixed column.
  explicit ReportGrid(int rows = 2, int cols = 2);

  // Copying or moving a grid, by construction or by assignment, carries its
  // contents only. Observers, AutoRedraw and the services belong to the
  // object: a new grid starts with none, on, and the in-memory defaults; an
  // assigned one keeps its own, and its observers hear kAll. So `b = a` and
  // `ReportGrid b = a` give the same grid, and a report built elsewhere can be
  // assigned into a window's grid without losing the window's wiring.
  ReportGrid(const ReportGrid& other);
  ReportGrid& operator=(const ReportGrid& other);
  ReportGrid(ReportGrid&& other) noexcept;
  ReportGrid& operator=(ReportGrid&& other);
  ~ReportGrid();

  // The same as move assignment, named for the callers that fill a window.
  void ReplaceContents(ReportGrid&& other);

  // ---- contents as a value, for undo and snapshots
  const GridContents& Contents() const { return contents_; }
  // Exchanges the whole contents with `contents` in constant time; observers
  // hear kAll. `contents` must have come from a grid (at least one row and
  // one column, every row as wide as the columns), else GridError.
  void SwapContents(GridContents& contents);
  // Exchanges rows first .. first + rows.size() - 1 with `rows`, in time
  // proportional to their number; for undoing an edit of a block of rows.
  // Each row must be Cols() wide and use this grid's style and tag indexes,
  // else GridError; observers hear kContents.
  void SwapRows(int first, std::vector<GridContents::Row>& rows);

  // ---- shape
  int Rows() const { return static_cast<int>(contents_.cells.Rows()); }
  int Cols() const { return static_cast<int>(contents_.columns.size()); }
  void SetRows(int rows);  // >= 1; 1 keeps only the header row
  void SetCols(int cols);  // >= 1
  int FixedRows() const { return contents_.fixed_rows; }
  void SetFixedRows(int n);  // 0 .. Rows()
  int FixedCols() const { return contents_.fixed_cols; }
  void SetFixedCols(int n);
  bool DisplayRowIndex() const { return contents_.display_row_index; }
  void SetDisplayRowIndex(bool on);
  bool AllowUserSort() const { return contents_.allow_user_sort; }
  void SetAllowUserSort(bool on);

  // ---- cells
  CellRef Cell(int row, int col);
  // The views stay valid until the grid next changes.
  std::string_view CellText(int row, int col) const;
  void SetCellText(int row, int col, std::string_view text);
  // Row first + i of column `col` gets texts[index[i]], as SetCellText would
  // set it: for a long column filled from the texts it repeats.
  void SetColumnTexts(int col, int first, const std::vector<std::string>& texts,
                      const std::vector<std::uint32_t>& index);
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
  // Widens or narrows the column to its widest display text (see
  // NeededColumnWidth in content_fit.h).
  void AutoFit(int col);
  // AutoFit of each of `cols` (the same widths), a long grid's columns
  // measured on two threads at once.
  void AutoFit(const std::vector<int>& cols);
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
  // In the order of their first row, then first column.
  const std::vector<CellRect>& Merges() const { return contents_.merges.Areas(); }
  std::optional<CellRect> MergeAt(int row, int col) const;
  void AddMerge(const CellRect& rect);  // replaces merges it overlaps
  void RemoveMerges(const CellRect& rect);
  GridSelection Selection();
  const CellRect& SelectionRect() const { return contents_.selection; }
  void Select(const CellRect& rect);
  CellRef ActiveCell();
  std::pair<int, int> ActiveCellPosition() const { return contents_.active; }
  void SetActiveCell(int row, int col);  // also selects that cell

  // ---- sort: the data rows (below the fixed rows), stable. Keys that both
  // read wholly as numbers compare as numbers, numbers before texts, texts by
  // code point; descending reverses that order. Empty cells stay last in
  // both directions.
  void Sort(int col, bool ascending);
  // Sorts on several columns at once, the first the most significant: the
  // order that sorting on each of them alone, the last first, leaves.
  void Sort(const std::vector<SortColumn>& keys);
  // The order Sort(keys) would leave the data rows in, without moving them:
  // entry i is the data row (0 the first below the fixed rows) that would
  // come i-th. With `start`, an order of the data rows as this gives, the
  // rows are sorted as if already standing in that order. For working on
  // rows in a sorted order and moving them once, with ReorderRows.
  std::vector<std::uint32_t> SortOrder(const std::vector<SortColumn>& keys,
                                       const std::vector<std::uint32_t>& start = {}) const;
  // Puts the data rows in `order` (as SortOrder gives it: every data row
  // once, else GridError); recorded and heard like a sort.
  void ReorderRows(std::vector<std::uint32_t> order);
  // A header double-click in user-sort mode: ascending on a new column, the
  // other direction on the column sorted last. Does nothing when the mode
  // is off or `col` is a fixed column.
  void UserSort(int col);

  // ---- print titles and page setup
  ReportTitleList& ReportTitles() {
    RecordPrintSetup();
    return contents_.titles;
  }
  const ReportTitleList& ReportTitles() const { return contents_.titles; }
  PageSettings& PageSetup() {
    RecordPrintSetup();
    return contents_.page;
  }
  const PageSettings& PageSetup() const { return contents_.page; }

  // ---- drawing
  bool AutoRedraw() const { return auto_redraw_; }
  void SetAutoRedraw(bool on);
  void Refresh();                        // tells observers to repaint everything
  int Subscribe(GridObserver observer);  // returns an id for Unsubscribe
  void Unsubscribe(int id);
  const Font& DefaultFont() const { return contents_.default_font; }
  void SetDefaultFont(const Font& font);  // size 1 .. 409, else GridError
  void SetDefaultFontSize(double size);

  // ---- services; null restores the default (an in-memory clipboard of
  // this grid's own, the estimating measurer)
  void SetClipboard(std::shared_ptr<Clipboard> clipboard);
  Clipboard& clipboard() const;
  void SetMeasurer(std::shared_ptr<const TextMeasurer> measurer);
  const TextMeasurer& measurer() const;
  const StyleTable& Styles() const { return contents_.styles; }
  std::uint32_t InternStyle(const CellStyle& style) { return contents_.styles.Intern(style); }
  void SetCellStyleIndex(int row, int col, std::uint32_t index);

  // ---- undo. While a journal is attached, every change to the contents but
  // the selection is recorded in it as what it replaced. The journal must
  // stay alive while attached; nullptr detaches. Copies and moves of the
  // grid start with none.
  void AttachJournal(EditJournal* journal) { journal_ = journal; }
  EditJournal* AttachedJournal() const { return journal_; }
  // Puts back what `journal` recorded, newest first, and returns the journal
  // of that reversal, which Revert undoes in turn. Observers hear one kAll.
  // The grid must be in the state the journal's changes left it in.
  EditJournal Revert(EditJournal journal);
  GridRevision Revision() const { return revision_; }

  // Range checks, throwing GridError.
  void CheckRow(int row) const;
  void CheckCol(int col) const;
  void CheckOrder(const std::vector<std::uint32_t>& order) const;

 private:
  using CellData = GridContents::Cell;
  using RowData = GridContents::Row;
  struct ObserverList {
    std::vector<std::pair<int, GridObserver>> items;
    int next_id = 1;
  };

  // Checks the position, then gives it as indexes into the cell store.
  std::pair<std::size_t, std::size_t> At(int row, int col) const;
  std::uint32_t InternTag(std::string_view tag);
  void Notify(GridChange change);
  void ShiftMergesForRows(int at, int delta);
  void ShiftMergesForCols(int at, int delta);
  void ClampSelection();

  // The row and column edits every change of shape goes through, recorded.
  void PutRows(int at, const std::vector<RowData>& rows);
  void PutBlankRows(int at, int count, bool notify = true);
  void TakeRows(int first, int count);
  void PutCols(int at, std::vector<ColumnInfo> columns, std::vector<CellData> cells);
  void TakeCols(int first, int count);
  void PermuteRows(int first, std::vector<std::uint32_t> order);

  // Journal hooks (edit_journal.cpp): each moves the revision on and, with a
  // journal attached, records what is about to change.
  void Changed() { ++revision_.changes; }
  void NewRevision();
  template <typename Run>
  Run& OpenRun();
  void RecordText(int row, int col);
  void RecordTag(int row, int col);
  void RecordStyle(int row, int col);
  void RecordColumn(int col);
  void RecordRowHeight(int row);
  void RecordFrame();
  void RecordOptions();
  void RecordPrintSetup();
  void RecordContents();
  journal::Frame CurrentFrame() const;
  void ApplyFrame(journal::Frame frame);
  friend class JournalReverter;

  GridContents contents_;
  bool auto_redraw_ = true;
  bool pending_change_ = false;
  std::shared_ptr<Clipboard> clipboard_;
  mutable MemoryClipboard own_clipboard_;
  std::shared_ptr<const TextMeasurer> measurer_;
  ObserverList observers_;
  EditJournal* journal_ = nullptr;
  GridRevision revision_;
};

}  // namespace grid
