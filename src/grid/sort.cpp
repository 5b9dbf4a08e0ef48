// Sorting the data rows on one column. Keys are read once, then row indexes
// are stable-sorted and the rows moved into place.
#include <algorithm>
#include <numeric>

#include "common/text_number.h"
#include "grid/edit_journal.h"
#include "grid/report_grid.h"
#include "grid/sort_key.h"

namespace grid {

SortKey SortKey::Of(std::string_view text) {
  SortKey key;
  if (text.empty()) return key;
  key.text = text;
  if (auto number = common::ParseWholeNumber(text)) {
    key.kind = kNumber;
    key.number = *number;
  } else {
    key.kind = kText;
  }
  return key;
}

int CompareSortKeys(const SortKey& a, const SortKey& b) {
  if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
  if (a.kind == SortKey::kNumber) return a.number < b.number ? -1 : b.number < a.number ? 1 : 0;
  // std::string_view compares chars as unsigned, which for UTF-8 is code
  // point order.
  int c = a.text.compare(b.text);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool SortsBefore(const SortKey& a, const SortKey& b, bool ascending) {
  bool a_empty = a.kind == SortKey::kEmpty, b_empty = b.kind == SortKey::kEmpty;
  if (a_empty || b_empty) return !a_empty && b_empty;
  int c = CompareSortKeys(a, b);
  return ascending ? c < 0 : c > 0;
}

void ReportGrid::Sort(int col, bool ascending) {
  CheckCol(col);
  auto first = static_cast<std::size_t>(contents_.fixed_rows);
  if (contents_.cells.Rows() <= first + 1) return;
  std::size_t n = contents_.cells.Rows() - first;
  std::vector<SortKey> keys(n);
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = SortKey::Of(contents_.cells.Text(first + i, static_cast<std::size_t>(col)));
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return SortsBefore(keys[a], keys[b], ascending);
  });
  PermuteRows(static_cast<int>(first), std::move(order));
}

// The permutation is what the journal keeps of a sort: 4 bytes a row.
void ReportGrid::PermuteRows(int first, std::vector<std::uint32_t> order) {
  contents_.cells.PermuteRows(static_cast<std::size_t>(first), order);
  if (EditJournal* j = AttachedJournal())
    j->records_.emplace_back(journal::RowsPermuted{first, std::move(order)});
  Changed();
  Notify(GridChange::kContents);
}

void ReportGrid::UserSort(int col) {
  CheckCol(col);
  if (!contents_.allow_user_sort || col < contents_.fixed_cols) return;
  RecordOptions();
  contents_.user_sort_ascending =
      col == contents_.user_sort_col ? !contents_.user_sort_ascending : true;
  contents_.user_sort_col = col;
  Sort(col, contents_.user_sort_ascending);
}

}  // namespace grid
