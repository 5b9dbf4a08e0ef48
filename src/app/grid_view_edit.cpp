// In-place editing of one cell through a line edit laid over it.
#include <QKeyEvent>
#include <QLineEdit>

#include "app/edit_history.h"
#include "app/grid_view.h"
#include "app/qt_convert.h"

namespace app {

void GridView::Change(const QString& text, const std::function<void()>& action) {
  if (history_ != nullptr)
    history_->Record(text, action);
  else
    action();
}

bool GridView::CanEdit(int row, int col) const {
  if (grid_ == nullptr || row < grid_->FixedRows() || col < grid_->FixedCols()) return false;
  if (row >= grid_->Rows() || col >= grid_->Cols()) return false;
  return !grid_->CellStyleAt(row, col).locked;
}

bool GridView::BeginEdit(const QString& initial_text, bool replace) {
  if (grid_ == nullptr || IsEditing()) return false;
  const auto [row, col] = grid_->ActiveCellPosition();
  if (!CanEdit(row, col)) return false;
  const QString text = replace ? initial_text : Qs(grid_->CellText(row, col));
  // A typed first key must pass the column's mask like any other input.
  if (replace && !grid_->AcceptsInput(col, Std(text)) && text != QStringLiteral("-") &&
      text != QStringLiteral("."))
    return false;
  edit_row_ = row;
  edit_col_ = col;
  edit_original_ = text;
  EnsureVisible(row, col);
  editor_->setFont(QtFontOf(grid_->CellFont(row, col)));
  editor_->setText(text);
  PlaceEditor();
  editor_->show();
  editor_->setFocus();
  if (!replace) editor_->selectAll();
  return true;
}

bool GridView::CommitEdit() {
  if (!IsEditing()) return true;
  const std::string text = Std(editor_->text());
  if (!grid_->AcceptsInput(edit_col_, text)) {
    editor_->setFocus();
    editor_->selectAll();
    return false;
  }
  const int row = edit_row_;
  const int col = edit_col_;
  edit_row_ = edit_col_ = -1;
  editor_->hide();
  setFocus();
  if (grid_->CellText(row, col) != text) {
    Change(QStringLiteral("编辑单元格"), [&] { grid_->SetCellText(row, col, text); });
    emit CellEdited(row, col);
  }
  return true;
}

void GridView::CancelEdit() {
  if (!IsEditing()) return;
  edit_row_ = edit_col_ = -1;
  editor_->hide();
  if (editor_->hasFocus()) setFocus();
}

void GridView::PlaceEditor() {
  if (!IsEditing()) return;
  grid::CellRect area{edit_row_, edit_col_, edit_row_, edit_col_};
  if (auto merge = grid_->MergeAt(edit_row_, edit_col_)) area = *merge;
  editor_->setGeometry(RangeRect(area).adjusted(1, 1, -1, -1));
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
  if (watched != editor_) return QAbstractScrollArea::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape:
        CancelEdit();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (CommitEdit()) MoveCursor(1, 0, false);
        return true;
      case Qt::Key_Tab:
        if (CommitEdit()) MoveCursor(0, 1, false);
        return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (CommitEdit()) MoveCursor(key->key() == Qt::Key_Up ? -1 : 1, 0, false);
        return true;
      default:
        break;
    }
  } else if (event->type() == QEvent::FocusOut && IsEditing()) {
    // Leaving the cell keeps what was typed when the column accepts it.
    if (!grid_->AcceptsInput(edit_col_, Std(editor_->text())))
      CancelEdit();
    else
      CommitEdit();
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

}  // namespace app
