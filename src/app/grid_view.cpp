#include "app/grid_view.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace app {

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("Grid1"));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);  // the resize cursor over header borders
  verticalScrollBar()->setSingleStep(grid::kDefaultRowHeight);
  horizontalScrollBar()->setSingleStep(grid::kDefaultColWidth / 2);
  editor_ = new QLineEdit(viewport());
  editor_->setObjectName(QStringLiteral("GridEditor"));
  editor_->setFrame(false);
  editor_->hide();
  editor_->installEventFilter(this);
}

GridView::~GridView() {
  SetGrid(nullptr);
}

void GridView::SetGrid(grid::ReportGrid* grid) {
  if (grid_ != nullptr) grid_->Unsubscribe(subscription_);
  CancelEdit();
  grid_ = grid;
  subscription_ = 0;
  if (grid_ != nullptr) {
    subscription_ = grid_->Subscribe([this](grid::GridChange change) { OnGridChanged(change); });
    const auto [r, c] = grid_->ActiveCellPosition();
    cursor_ = {r, c};
  }
  RebuildGeometry();
}

void GridView::OnGridChanged(grid::GridChange change) {
  if (change == grid::GridChange::kSelection) {
    viewport()->update();
    emit SelectionChanged();
    return;
  }
  if (change == grid::GridChange::kShape || change == grid::GridChange::kLayout ||
      change == grid::GridChange::kAll) {
    if (IsEditing() && (edit_row_ >= grid_->Rows() || edit_col_ >= grid_->Cols())) CancelEdit();
    RebuildGeometry();
    if (change != grid::GridChange::kLayout) emit SelectionChanged();
    return;
  }
  viewport()->update();
}

void GridView::RebuildGeometry() {
  row_pos_.assign(1, 0);
  col_pos_.assign(1, 0);
  if (grid_ != nullptr) {
    row_pos_.reserve(static_cast<std::size_t>(grid_->Rows()) + 1);
    for (int r = 0; r < grid_->Rows(); ++r)
      row_pos_.push_back(row_pos_.back() + grid_->RowHeight(r));
    for (int c = 0; c < grid_->Cols(); ++c)
      col_pos_.push_back(col_pos_.back() + grid_->ColWidth(c));
    const auto [r, c] = cursor_;
    cursor_ = {std::clamp(r, 0, grid_->Rows() - 1), std::clamp(c, 0, grid_->Cols() - 1)};
  }
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

int GridView::FrozenWidth() const {
  if (grid_ == nullptr) return 0;
  return static_cast<int>(col_pos_[static_cast<std::size_t>(grid_->FixedCols())]);
}

int GridView::FrozenHeight() const {
  if (grid_ == nullptr) return 0;
  return static_cast<int>(row_pos_[static_cast<std::size_t>(grid_->FixedRows())]);
}

void GridView::UpdateScrollBars() {
  const QSize area = viewport()->size();
  auto range = [](std::int64_t total, int frozen, int visible) {
    const std::int64_t r = total - frozen - std::max(0, visible - frozen);
    return static_cast<int>(std::clamp<std::int64_t>(r, 0, INT32_MAX));
  };
  verticalScrollBar()->setRange(0, range(row_pos_.back(), FrozenHeight(), area.height()));
  verticalScrollBar()->setPageStep(std::max(1, area.height() - FrozenHeight()));
  horizontalScrollBar()->setRange(0, range(col_pos_.back(), FrozenWidth(), area.width()));
  horizontalScrollBar()->setPageStep(std::max(1, area.width() - FrozenWidth()));
}

int GridView::ViewX(int col) const {
  const auto c = static_cast<std::size_t>(col);
  if (grid_ == nullptr || col < grid_->FixedCols()) return static_cast<int>(col_pos_[c]);
  return static_cast<int>(col_pos_[c] - FrozenWidth() - horizontalScrollBar()->value()) +
         FrozenWidth();
}

int GridView::ViewY(int row) const {
  const auto r = static_cast<std::size_t>(row);
  if (grid_ == nullptr || row < grid_->FixedRows()) return static_cast<int>(row_pos_[r]);
  return static_cast<int>(row_pos_[r] - FrozenHeight() - verticalScrollBar()->value()) +
         FrozenHeight();
}

QRect GridView::CellRect(int row, int col) const {
  if (grid_ == nullptr || row < 0 || col < 0 || row >= grid_->Rows() || col >= grid_->Cols())
    return {};
  const int w = grid_->ColWidth(col);
  const int h = grid_->RowHeight(row);
  if (w <= 0 || h <= 0) return {};
  return QRect(ViewX(col), ViewY(row), w, h);
}

QRect GridView::RangeRect(const grid::CellRect& range) const {
  const int left = ViewX(range.first_col);
  const int top = ViewY(range.first_row);
  const int right = ViewX(range.last_col) + grid_->ColWidth(range.last_col);
  const int bottom = ViewY(range.last_row) + grid_->RowHeight(range.last_row);
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int GridView::IndexAt(const std::vector<std::int64_t>& pos, std::int64_t x) {
  if (x < 0 || x >= pos.back()) return -1;
  const auto it = std::upper_bound(pos.begin(), pos.end(), x);
  return static_cast<int>(it - pos.begin()) - 1;
}

std::pair<int, int> GridView::CellAt(const QPoint& p) const {
  if (grid_ == nullptr) return {-1, -1};
  const std::int64_t x =
      p.x() < FrozenWidth() ? p.x() : std::int64_t{p.x()} + horizontalScrollBar()->value();
  const std::int64_t y =
      p.y() < FrozenHeight() ? p.y() : std::int64_t{p.y()} + verticalScrollBar()->value();
  const int row = IndexAt(row_pos_, y);
  const int col = IndexAt(col_pos_, x);
  if (row < 0 || col < 0) return {-1, -1};
  return {row, col};
}

void GridView::EnsureVisible(int row, int col) {
  if (grid_ == nullptr) return;
  const QSize area = viewport()->size();
  if (row >= grid_->FixedRows()) {
    const auto top = row_pos_[static_cast<std::size_t>(row)] - FrozenHeight();
    const auto bottom = row_pos_[static_cast<std::size_t>(row) + 1] - FrozenHeight();
    const int visible = std::max(0, area.height() - FrozenHeight());
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
      bar->setValue(static_cast<int>(top));
    else if (bottom > bar->value() + visible)
      bar->setValue(static_cast<int>(bottom - visible));
  }
  if (col >= grid_->FixedCols()) {
    const auto left = col_pos_[static_cast<std::size_t>(col)] - FrozenWidth();
    const auto right = col_pos_[static_cast<std::size_t>(col) + 1] - FrozenWidth();
    const int visible = std::max(0, area.width() - FrozenWidth());
    QScrollBar* bar = horizontalScrollBar();
    if (left < bar->value())
      bar->setValue(static_cast<int>(left));
    else if (right > bar->value() + visible)
      bar->setValue(static_cast<int>(right - visible));
  }
}

void GridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void GridView::scrollContentsBy(int, int) {
  PlaceEditor();
  viewport()->update();
}

// ---- selection by mouse and keyboard

void GridView::SelectTo(int row, int col, bool extend) {
  if (grid_ == nullptr || row < 0 || col < 0) return;
  cursor_ = {row, col};
  if (extend) {
    const auto [ar, ac] = grid_->ActiveCellPosition();
    grid_->Select({ar, ac, row, col});
  } else {
    grid_->SetActiveCell(row, col);
  }
  EnsureVisible(row, col);
}

void GridView::mousePressEvent(QMouseEvent* event) {
  if (grid_ == nullptr || event->button() != Qt::LeftButton) return;
  if (IsEditing() && !CommitEdit()) return;
  setFocus();
  if (PressBorder(event->position().toPoint())) return;
  const auto [row, col] = CellAt(event->position().toPoint());
  if (row < 0) return;
  const int fr = grid_->FixedRows();
  const int fc = grid_->FixedCols();
  const int last_row = grid_->Rows() - 1;
  const int last_col = grid_->Cols() - 1;
  const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
  if (row < fr && col < fc) {
    grid_->Select({std::min(fr, last_row), std::min(fc, last_col), last_row, last_col});
  } else if (row < fr) {
    // A header click selects whole columns.
    const int anchor = extend ? grid_->ActiveCellPosition().second : col;
    grid_->SetActiveCell(std::min(fr, last_row), anchor);
    grid_->Select({std::min(fr, last_row), anchor, last_row, col});
  } else if (col < fc) {
    const int anchor = extend ? grid_->ActiveCellPosition().first : row;
    grid_->SetActiveCell(anchor, std::min(fc, last_col));
    grid_->Select({anchor, std::min(fc, last_col), row, last_col});
  } else {
    SelectTo(row, col, extend);
    dragging_ = true;
  }
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
  if (grid_ == nullptr || DragBorder(event->position().toPoint())) return;
  if (!dragging_) return UpdateHoverCursor(event->position().toPoint());
  const auto [row, col] = CellAt(event->position().toPoint());
  if (row < grid_->FixedRows() || col < grid_->FixedCols()) return;
  if (std::make_pair(row, col) != cursor_) SelectTo(row, col, true);
}

void GridView::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
  ReleaseBorder();
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (grid_ == nullptr || DoubleClickBorder(event->position().toPoint())) return;
  const auto [row, col] = CellAt(event->position().toPoint());
  if (row < 0) return;
  if (row < grid_->FixedRows() && col >= grid_->FixedCols()) {
    if (grid_->AllowUserSort()) SortByColumn(col);
    return;
  }
  BeginEdit(QString(), false);
}

void GridView::SortByColumn(int col) {
  if (grid_ == nullptr) return;
  sort_ascending_ = (col == sort_col_) ? !sort_ascending_ : true;
  sort_col_ = col;
  Change(QStringLiteral("排序"), [this, col] { grid_->Sort(col, sort_ascending_); });
}

int GridView::PageRows() const {
  const int visible = viewport()->height() - FrozenHeight();
  return std::max(1, visible / grid::kDefaultRowHeight);
}

void GridView::MoveCursor(int drow, int dcol, bool extend) {
  auto [row, col] = extend ? cursor_ : grid_->ActiveCellPosition();
  const int fr = std::min(grid_->FixedRows(), grid_->Rows() - 1);
  const int fc = std::min(grid_->FixedCols(), grid_->Cols() - 1);
  // Step over hidden rows and columns.
  auto step = [](int from, int delta, int lo, int hi, auto size_of) {
    int to = std::clamp(from + delta, lo, hi);
    const int dir = delta < 0 ? -1 : 1;
    while (delta != 0 && to > lo && to < hi && size_of(to) == 0) to += dir;
    return to;
  };
  row = step(row, drow, fr, grid_->Rows() - 1, [this](int r) { return grid_->RowHeight(r); });
  col = step(col, dcol, fc, grid_->Cols() - 1, [this](int c) { return grid_->ColWidth(c); });
  SelectTo(row, col, extend);
}

void GridView::keyPressEvent(QKeyEvent* event) {
  if (grid_ == nullptr) return QAbstractScrollArea::keyPressEvent(event);
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const int big = grid_->Rows() + grid_->Cols();
  switch (event->key()) {
    case Qt::Key_Up:
      return MoveCursor(-1, 0, shift);
    case Qt::Key_Down:
      return MoveCursor(1, 0, shift);
    case Qt::Key_Left:
      return MoveCursor(0, -1, shift);
    case Qt::Key_Right:
      return MoveCursor(0, 1, shift);
    case Qt::Key_PageUp:
      return MoveCursor(-PageRows(), 0, shift);
    case Qt::Key_PageDown:
      return MoveCursor(PageRows(), 0, shift);
    case Qt::Key_Home:
      return ctrl ? MoveCursor(-big, -big, shift) : MoveCursor(0, -big, shift);
    case Qt::Key_End:
      return ctrl ? MoveCursor(big, big, shift) : MoveCursor(0, big, shift);
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      BeginEdit(QString(), false);
      return;
    default:
      break;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    grid_->Select({std::min(grid_->FixedRows(), grid_->Rows() - 1),
                   std::min(grid_->FixedCols(), grid_->Cols() - 1), grid_->Rows() - 1,
                   grid_->Cols() - 1});
    return;
  }
  const QString text = event->text();
  if (!ctrl && !text.isEmpty() && text.at(0).isPrint()) {
    BeginEdit(text, true);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace app
