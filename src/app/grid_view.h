// The widget that shows and edits a ReportGrid (objectName Grid1). It paints
// only the visible rows, found by binary search over cached row offsets, so
// a million-row report scrolls as smoothly as a short one. Fixed rows and
// columns stay in place while the rest scrolls.
//
// The view does not own the grid. The grid must outlive the view, or be
// detached first with SetGrid(nullptr).
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "grid/report_grid.h"

class QLineEdit;

namespace app {

class EditHistory;

class GridView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit GridView(QWidget* parent = nullptr);
  ~GridView() override;

  void SetGrid(grid::ReportGrid* grid);
  grid::ReportGrid* Grid() const { return grid_; }
  // Edits, sorts and resizes made here become steps of `history` (which
  // must outlive the view or be replaced); with none they are not kept.
  void SetHistory(EditHistory* history) { history_ = history; }

  // Geometry in viewport pixels; an empty rect for a hidden row or column.
  QRect CellRect(int row, int col) const;
  QRect RangeRect(const grid::CellRect& range) const;
  // The cell under a viewport point, {-1, -1} outside the cells.
  std::pair<int, int> CellAt(const QPoint& pos) const;
  void EnsureVisible(int row, int col);

  // In-place editing. Fixed and locked cells refuse; a column with the
  // number mask refuses texts that are not numbers.
  bool CanEdit(int row, int col) const;
  bool BeginEdit(const QString& initial_text, bool replace);
  bool IsEditing() const { return edit_row_ >= 0; }
  // Writes the editor's text into the cell; false (editor kept open) when
  // the column does not accept it.
  bool CommitEdit();
  void CancelEdit();
  QLineEdit* Editor() const { return editor_; }

  // Sorts the data rows by `col`, alternating the direction on each call.
  void SortByColumn(int col);

  // The border between two columns (in the fixed rows) or two rows (in the
  // fixed columns) under a viewport point: dragging it resizes the column
  // or row before it, double-clicking it fits that column or row to its
  // contents. nullopt elsewhere.
  struct Border {
    bool column;  // false: a row
    int index;
  };
  std::optional<Border> BorderAt(const QPoint& pos) const;

 signals:
  void SelectionChanged();
  void CellEdited(int row, int col);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Which part of the viewport a cell range is painted in.
  struct Pane {
    int first_row, last_row, first_col, last_col;
    QRect clip;
  };

  void OnGridChanged(grid::GridChange change);
  void RebuildGeometry();
  void UpdateScrollBars();
  int FrozenWidth() const;
  int FrozenHeight() const;
  int ViewX(int col) const;  // left edge of `col` in viewport pixels
  int ViewY(int row) const;
  static int IndexAt(const std::vector<std::int64_t>& pos, std::int64_t x);
  std::vector<Pane> VisiblePanes() const;

  void PaintPane(QPainter& painter, const Pane& pane);
  void PaintSelection(QPainter& painter, const Pane& pane);
  void PaintResizeGuide(QPainter& painter);

  void Change(const QString& text, const std::function<void()>& action);
  bool PressBorder(const QPoint& pos);
  bool DragBorder(const QPoint& pos);
  bool ReleaseBorder();
  bool DoubleClickBorder(const QPoint& pos);
  void UpdateHoverCursor(const QPoint& pos);

  void SelectTo(int row, int col, bool extend);
  void MoveCursor(int drow, int dcol, bool extend);
  int PageRows() const;
  void PlaceEditor();

  grid::ReportGrid* grid_ = nullptr;
  int subscription_ = 0;
  std::vector<std::int64_t> row_pos_;  // size Rows() + 1
  std::vector<std::int64_t> col_pos_;
  std::pair<int, int> cursor_{1, 1};  // the moving end of a shift selection
  bool dragging_ = false;
  int sort_col_ = -1;
  bool sort_ascending_ = true;
  QLineEdit* editor_ = nullptr;
  int edit_row_ = -1;
  int edit_col_ = -1;
  QString edit_original_;
  EditHistory* history_ = nullptr;
  struct Resize {
    Border border;
    int start_pos;   // where the drag began, along the border's axis
    int start_size;  // the column's width or the row's height then
    int size;        // while dragging; the grid changes on release
  };
  std::optional<Resize> resize_;
};

}  // namespace app
