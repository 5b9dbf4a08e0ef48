// The undo history of one report window. Each step is one user action on
// the window's grid (an edit, a format, an insertion, a deletion, a sort, a
// paste...), kept as the grid's edit journal: what the action replaced, not
// a copy of the grid, so that a one-cell edit in a million-row report costs
// a few bytes.
//
// The grid must outlive the history. Changes made to the grid outside
// Record (a report filling it anew, a file opened into it) are noticed by
// the grid's revision: the history is then forgotten rather than undone
// onto contents it no longer matches.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>

#include "grid/report_grid.h"

class QObject;
class QUndoStack;

namespace app {

class EditHistory {
 public:
  // The stack is owned by `parent`.
  EditHistory(grid::ReportGrid& grid, QObject* parent);

  // Older steps are forgotten once the history holds more than this.
  static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;
  static constexpr int kMaxSteps = 100;

  // Runs `action`, which changes the grid, as one step named `text`. Inside
  // another step's action it is part of that step. What the action changed
  // before it threw is kept as a step too; the exception passes on.
  void Record(const QString& text, const std::function<void()>& action);
  void Undo();
  void Redo();
  // Forgets every step.
  void Clear();
  // Forgets every step when the grid was changed outside Record since the
  // last step, undo or redo.
  void ForgetIfChangedOutside();

  QUndoStack* stack() const { return stack_; }
  // The bytes the steps hold.
  std::size_t Bytes() const;

 private:
  void ForgetOldSteps();

  grid::ReportGrid& grid_;
  QUndoStack* stack_;
  grid::GridRevision known_;  // the grid's revision after the last step, undo or redo
};

}  // namespace app
