#include "app/edit_history.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <utility>

#include "grid/edit_journal.h"

namespace app {
namespace {

struct Selection {
  grid::CellRect rect;
  std::pair<int, int> active;

  static Selection Of(const grid::ReportGrid& grid) {
    return {grid.SelectionRect(), grid.ActiveCellPosition()};
  }
  // The grid is back in the state the selection was taken in, so it fits.
  void Restore(grid::ReportGrid& grid) const {
    try {
      grid.SetActiveCell(active.first, active.second);
      grid.Select(rect);
    } catch (const grid::GridError&) {
    }
  }
};

// One step: its journal reverts it; reverting gives the journal that
// reverts the reversal, so undo and redo swap the one journal.
class GridStep : public QUndoCommand {
 public:
  GridStep(grid::ReportGrid& grid, const QString& text, grid::EditJournal journal, Selection before,
           Selection after)
      : QUndoCommand(text),
        grid_(grid),
        journal_(std::move(journal)),
        before_(before),
        after_(after) {}

  void undo() override {
    // A forgotten step cannot be undone; it leaves the stack instead.
    if (forgotten_) {
      setObsolete(true);
      return;
    }
    journal_ = grid_.Revert(std::move(journal_));
    before_.Restore(grid_);
  }
  void redo() override {
    if (first_redo_) {  // QUndoStack::push redoes; the action itself did it
      first_redo_ = false;
      return;
    }
    journal_ = grid_.Revert(std::move(journal_));
    after_.Restore(grid_);
  }
  std::size_t Bytes() const { return journal_.Bytes(); }
  bool Forgotten() const { return forgotten_; }
  void Forget() {
    journal_ = grid::EditJournal();
    forgotten_ = true;
  }

 private:
  grid::ReportGrid& grid_;
  grid::EditJournal journal_;
  Selection before_, after_;
  bool first_redo_ = true;
  bool forgotten_ = false;
};

}  // namespace

EditHistory::EditHistory(grid::ReportGrid& grid, QObject* parent)
    : grid_(grid), stack_(new QUndoStack(parent)), known_(grid.Revision()) {
  stack_->setUndoLimit(kMaxSteps);
}

void EditHistory::Record(const QString& text, const std::function<void()>& action) {
  if (grid_.AttachedJournal() != nullptr) {  // part of an enclosing step
    action();
    return;
  }
  ForgetIfChangedOutside();
  const Selection before = Selection::Of(grid_);
  grid::EditJournal journal;
  grid_.AttachJournal(&journal);
  auto finish = [&] {
    grid_.AttachJournal(nullptr);
    known_ = grid_.Revision();
    if (journal.empty()) return;
    stack_->push(new GridStep(grid_, text, std::move(journal), before, Selection::Of(grid_)));
    ForgetOldSteps();
  };
  try {
    action();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void EditHistory::Undo() {
  ForgetIfChangedOutside();
  stack_->undo();
  known_ = grid_.Revision();
}

void EditHistory::Redo() {
  ForgetIfChangedOutside();
  stack_->redo();
  known_ = grid_.Revision();
}

void EditHistory::Clear() {
  stack_->clear();
  known_ = grid_.Revision();
}

void EditHistory::ForgetIfChangedOutside() {
  if (grid_.Revision() != known_) Clear();
}

std::size_t EditHistory::Bytes() const {
  std::size_t bytes = 0;
  for (int i = 0; i < stack_->count(); ++i)
    bytes += static_cast<const GridStep*>(stack_->command(i))->Bytes();
  return bytes;
}

// The oldest steps give up their journals first; the newest is always kept.
void EditHistory::ForgetOldSteps() {
  std::size_t bytes = Bytes();
  for (int i = 0; i + 1 < stack_->count() && bytes > kMaxBytes; ++i) {
    auto* step = const_cast<GridStep*>(static_cast<const GridStep*>(stack_->command(i)));
    if (step->Forgotten()) continue;
    bytes -= step->Bytes();
    step->Forget();
  }
}

}  // namespace app
