// Recording changes into the attached journal, and reverting them.
#include "grid/edit_journal.h"

#include <atomic>

#include "grid/report_grid.h"

namespace grid {
namespace {

std::size_t TextBytes(const CompactText& text) {
  return text.view().size() > 15 ? text.view().size() : 0;
}

std::size_t RowBytes(const GridContents::Row& row) {
  std::size_t bytes = sizeof(row) + row.cells.size() * sizeof(GridContents::Cell);
  for (const GridContents::Cell& cell : row.cells) bytes += TextBytes(cell.text);
  return bytes;
}

std::size_t RowsBytes(const std::vector<GridContents::Row>& rows) {
  std::size_t bytes = 0;
  for (const GridContents::Row& row : rows) bytes += RowBytes(row);
  return bytes;
}

struct ByteCounter {
  std::size_t operator()(const journal::CellTexts& run) const {
    std::size_t bytes = run.entries.size() * sizeof(journal::CellTexts::Entry);
    for (const auto& e : run.entries) bytes += TextBytes(e.text);
    return bytes;
  }
  template <typename Run>
  requires requires(Run r) { r.entries; }
  std::size_t operator()(const Run& run) const {
    return run.entries.size() * sizeof(typename decltype(run.entries)::value_type);
  }
  std::size_t operator()(const journal::RowsRemoved& r) const { return RowsBytes(r.rows); }
  std::size_t operator()(const journal::RowsWere& r) const { return RowsBytes(r.rows); }
  std::size_t operator()(const std::unique_ptr<journal::ContentsWere>& r) const {
    return r->contents.cells.Bytes();
  }
  std::size_t operator()(const journal::ColsRemoved& r) const {
    std::size_t bytes = r.cells.size() * sizeof(GridContents::Cell);
    for (const GridContents::Cell& cell : r.cells) bytes += TextBytes(cell.text);
    return bytes;
  }
  std::size_t operator()(const journal::RowsPermuted& r) const {
    return r.order.size() * sizeof(std::uint32_t);
  }
  template <typename Other>
  std::size_t operator()(const Other&) const {
    return 0;
  }
};

}  // namespace

std::size_t EditJournal::Bytes() const {
  std::size_t bytes = records_.size() * sizeof(journal::Record);
  for (const journal::Record& record : records_) bytes += std::visit(ByteCounter{}, record);
  return bytes;
}

void ReportGrid::NewRevision() {
  static std::atomic<std::uint64_t> next_epoch{1};
  revision_ = {next_epoch.fetch_add(1, std::memory_order_relaxed), 0};
}

// Consecutive changes of one kind share a run, so that a million formatted
// cells cost one record and a million small entries.
template <typename Run>
Run& ReportGrid::OpenRun() {
  auto& records = AttachedJournal()->records_;
  if (records.empty() || !std::holds_alternative<Run>(records.back())) records.emplace_back(Run{});
  return std::get<Run>(records.back());
}

void ReportGrid::RecordText(int row, int col) {
  Changed();
  if (AttachedJournal() == nullptr) return;
  const auto [r, c] = At(row, col);
  OpenRun<journal::CellTexts>().entries.push_back(
      {row, col, CompactText(contents_.cells.Text(r, c))});
}

void ReportGrid::RecordTag(int row, int col) {
  Changed();
  if (AttachedJournal() == nullptr) return;
  const auto [r, c] = At(row, col);
  OpenRun<journal::CellTags>().entries.push_back({row, col, contents_.cells.Tag(r, c)});
}

void ReportGrid::RecordStyle(int row, int col) {
  Changed();
  if (AttachedJournal() == nullptr) return;
  const auto [r, c] = At(row, col);
  OpenRun<journal::CellStyles>().entries.push_back({row, col, contents_.cells.Style(r, c)});
}

void ReportGrid::RecordColumn(int col) {
  Changed();
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(
        journal::ColumnWas{col, contents_.columns[static_cast<std::size_t>(col)]});
}

void ReportGrid::RecordRowHeight(int row) {
  Changed();
  if (AttachedJournal() == nullptr) return;
  OpenRun<journal::RowHeights>().entries.push_back(
      {row, contents_.cells.Height(static_cast<std::size_t>(row))});
}

void ReportGrid::RecordFrame() {
  Changed();
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::FrameWas{CurrentFrame()});
}

void ReportGrid::RecordOptions() {
  Changed();
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::OptionsWas{
        contents_.display_row_index, contents_.allow_user_sort, contents_.user_sort_col,
        contents_.user_sort_ascending, contents_.default_font});
}

// Titles and page setup are handed out by reference, so the first request
// for them while a journal is attached keeps them whole; they are small.
void ReportGrid::RecordPrintSetup() {
  EditJournal* j = AttachedJournal();
  if (j == nullptr || j->print_setup_recorded_) return;
  Changed();
  j->print_setup_recorded_ = true;
  j->records_.emplace_back(std::make_unique<journal::PrintSetupWas>(
      journal::PrintSetupWas{contents_.titles, contents_.page}));
}

// Contents replaced whole are kept whole.
void ReportGrid::RecordContents() {
  Changed();
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(
        std::make_unique<journal::ContentsWere>(journal::ContentsWere{contents_}));
}

journal::Frame ReportGrid::CurrentFrame() const {
  return {contents_.merges.Areas(), contents_.fixed_rows, contents_.fixed_cols};
}

void ReportGrid::ApplyFrame(journal::Frame frame) {
  contents_.merges = MergeList(std::move(frame.merges));
  contents_.fixed_rows = std::min(frame.fixed_rows, Rows());
  contents_.fixed_cols = std::min(frame.fixed_cols, Cols());
  Notify(GridChange::kLayout);
}

// Puts back one record through the grid's own edits, so that the reversal
// is recorded in the journal attached meanwhile.
class JournalReverter {
 public:
  explicit JournalReverter(ReportGrid& grid) : g_(grid) {}

  void operator()(journal::CellTexts& run) {
    for (auto e = run.entries.rbegin(); e != run.entries.rend(); ++e)
      g_.SetCellText(e->row, e->col, e->text.view());
  }
  void operator()(journal::CellStyles& run) {
    for (auto e = run.entries.rbegin(); e != run.entries.rend(); ++e)
      g_.SetCellStyleIndex(e->row, e->col, e->style);
  }
  void operator()(journal::CellTags& run) {
    for (auto e = run.entries.rbegin(); e != run.entries.rend(); ++e)
      g_.SetCellTag(e->row, e->col, std::string(g_.contents_.tags.at(e->tag)));
  }
  void operator()(journal::RowHeights& run) {
    for (auto e = run.entries.rbegin(); e != run.entries.rend(); ++e)
      g_.SetRowHeight(e->row, e->height);
  }
  void operator()(journal::ColumnWas& r) { g_.SetColumnInfo(r.col, r.info); }
  void operator()(journal::FrameWas& r) {
    g_.RecordFrame();
    g_.ApplyFrame(std::move(r.frame));
  }
  void operator()(journal::RowsInserted& r) {
    g_.TakeRows(r.at, r.count);
    g_.ApplyFrame(std::move(r.frame));
  }
  void operator()(journal::RowsRemoved& r) {
    g_.PutRows(r.at, std::move(r.rows));
    g_.ApplyFrame(std::move(r.frame));
  }
  void operator()(journal::ColsInserted& r) {
    g_.TakeCols(r.at, r.count);
    g_.ApplyFrame(std::move(r.frame));
  }
  void operator()(journal::ColsRemoved& r) {
    g_.PutCols(r.at, std::move(r.columns), std::move(r.cells));
    g_.ApplyFrame(std::move(r.frame));
  }
  void operator()(journal::RowsPermuted& r) {
    std::vector<std::uint32_t> inverse(r.order.size());
    for (std::uint32_t i = 0; i < r.order.size(); ++i) inverse[r.order[i]] = i;
    g_.PermuteRows(r.first, std::move(inverse));
  }
  void operator()(journal::OptionsWas& r) {
    g_.RecordOptions();
    GridContents& c = g_.contents_;
    c.display_row_index = r.display_row_index;
    c.allow_user_sort = r.allow_user_sort;
    c.user_sort_col = r.user_sort_col;
    c.user_sort_ascending = r.user_sort_ascending;
    c.default_font = r.default_font;
    g_.Notify(GridChange::kAll);
  }
  void operator()(std::unique_ptr<journal::PrintSetupWas>& r) {
    g_.RecordPrintSetup();
    g_.contents_.titles = std::move(r->titles);
    g_.contents_.page = std::move(r->page);
  }
  void operator()(journal::RowsWere& r) { g_.SwapRows(r.first, r.rows); }
  void operator()(std::unique_ptr<journal::ContentsWere>& r) { g_.SwapContents(r->contents); }

 private:
  ReportGrid& g_;
};

EditJournal ReportGrid::Revert(EditJournal journal) {
  EditJournal reversal;
  EditJournal* outer = AttachedJournal();
  AttachJournal(&reversal);
  const bool redraw = auto_redraw_;
  auto_redraw_ = false;
  try {
    JournalReverter reverter(*this);
    for (auto it = journal.records_.rbegin(); it != journal.records_.rend(); ++it)
      std::visit(reverter, *it);
  } catch (...) {
    AttachJournal(outer);
    SetAutoRedraw(redraw);
    throw;
  }
  AttachJournal(outer);
  SetAutoRedraw(redraw);
  if (redraw) Refresh();
  return reversal;
}

}  // namespace grid
