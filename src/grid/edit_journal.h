// EditJournal: what a series of changes to a ReportGrid replaced, so that
// the changes can be reverted (undo) and the reversal reverted in turn
// (redo). A journal holds only what the changes touched: the old text of an
// edited cell, the old style indexes of a formatted range, the rows a
// deletion removed, the permutation a sort applied. Nothing in it is a copy
// of the whole grid unless the change was to the whole grid.
//
// ReportGrid writes the records while a journal is attached to it
// (ReportGrid::AttachJournal) and reads them in ReportGrid::Revert; other
// code only carries journals around. A journal is only meaningful for the
// grid that wrote it, in the state that grid was left in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "grid/report_grid.h"

namespace grid {

namespace journal {

// The merges and the fixed rows and columns, which row and column edits
// shift or trim; put back whole when such an edit is reverted.
struct Frame {
  std::vector<CellRect> merges;
  int fixed_rows = 1;
  int fixed_cols = 1;
};

// Runs of per-cell (per-row) changes, one entry per change, oldest first.
struct CellTexts {
  struct Entry {
    int row, col;
    CompactText text;
  };
  std::vector<Entry> entries;
};
struct CellStyles {
  struct Entry {
    int row, col;
    std::uint32_t style;
  };
  std::vector<Entry> entries;
};
struct CellTags {
  struct Entry {
    int row, col;
    std::uint32_t tag;
  };
  std::vector<Entry> entries;
};
struct RowHeights {
  struct Entry {
    int row, height;
  };
  std::vector<Entry> entries;
};

struct ColumnWas {
  int col;
  ColumnInfo info;
};
struct FrameWas {
  Frame frame;
};
struct RowsInserted {
  int at, count;
  Frame frame;  // as it was before the insertion
};
struct RowsRemoved {
  int at;
  std::vector<GridContents::Row> rows;
  Frame frame;
};
struct ColsInserted {
  int at, count;
  Frame frame;
};
struct ColsRemoved {
  int at;
  std::vector<ColumnInfo> columns;
  std::vector<GridContents::Cell> cells;  // row by row, columns.size() cells each
  Frame frame;
};
// The data rows now at first + i came from first + order[i].
struct RowsPermuted {
  int first;
  std::vector<std::uint32_t> order;
};
struct OptionsWas {
  bool display_row_index;
  bool allow_user_sort;
  int user_sort_col;
  bool user_sort_ascending;
  Font default_font;
};
struct PrintSetupWas {
  ReportTitleList titles;
  PageSettings page;
};
// Rows exchanged whole (SwapRows), as they were.
struct RowsWere {
  int first;
  std::vector<GridContents::Row> rows;
};
// The contents replaced whole (assignment, SwapContents): the only record
// that holds a whole grid, because the change was to the whole grid.
struct ContentsWere {
  GridContents contents;
};

using Record =
    std::variant<CellTexts, CellStyles, CellTags, RowHeights, ColumnWas, FrameWas, RowsInserted,
                 RowsRemoved, ColsInserted, ColsRemoved, RowsPermuted, OptionsWas,
                 std::unique_ptr<PrintSetupWas>, RowsWere, std::unique_ptr<ContentsWere>>;

}  // namespace journal

class EditJournal {
 public:
  bool empty() const { return records_.empty(); }
  // The memory the journal holds, roughly, in bytes.
  std::size_t Bytes() const;

 private:
  friend class ReportGrid;
  std::vector<journal::Record> records_;
  bool print_setup_recorded_ = false;  // titles and page setup are kept once
};

}  // namespace grid
