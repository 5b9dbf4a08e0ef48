// Sorting the data rows on one column or several. Keys are read once, then
// row indexes are stable-sorted and the rows moved into place.
#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

#include "common/text_number.h"
#include "grid/edit_journal.h"
#include "grid/grid_error.h"
#include "grid/report_grid.h"
#include "grid/sort_key.h"
#include "grid/text_ids.h"

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

namespace {

// Each row's place in the order of one column, as a number: rows whose keys
// compare equal get equal codes, empty cells the largest in both
// directions. Keys are read and compared once per distinct text, so that a
// column of a few hundred classes costs a lookup a row and the sort itself
// compares integers.
struct OrderCodes {
  std::vector<std::uint32_t> codes;
  std::uint64_t bound = 0;  // every code is below it
};

OrderCodes CodesOf(const CellStore& cells, std::size_t first, std::size_t n,
                   const SortColumn& key) {
  const auto col = static_cast<std::size_t>(key.col);
  TextIds ids;
  std::vector<SortKey> distinct;
  OrderCodes out;
  out.codes.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view text = cells.Text(first + i, col);
    const auto [id, added] = ids.Insert(text);
    if (added) distinct.push_back(SortKey::Of(text));
    out.codes[i] = id;
  }
  std::vector<std::uint32_t> by_key(distinct.size());
  std::iota(by_key.begin(), by_key.end(), 0u);
  std::sort(by_key.begin(), by_key.end(), [&](std::uint32_t a, std::uint32_t b) {
    return CompareSortKeys(distinct[a], distinct[b]) < 0;
  });
  std::vector<std::uint32_t> place(distinct.size());
  std::uint32_t last = 0;
  for (std::size_t j = 0; j < by_key.size(); ++j) {
    if (j > 0 && CompareSortKeys(distinct[by_key[j - 1]], distinct[by_key[j]]) != 0) ++last;
    place[by_key[j]] = last;
  }
  for (std::size_t k = 0; k < distinct.size(); ++k) {
    if (distinct[k].kind == SortKey::kEmpty)
      place[k] = last + 1;
    else if (!key.ascending)
      place[k] = last - place[k];
  }
  for (std::uint32_t& code : out.codes) code = place[code];
  out.bound = std::uint64_t{last} + 2;
  return out;
}

// The rows in the order of their codes, the first key the most significant,
// equal rows as they were. When the keys together take no more values than
// a few times the rows (a total, a school and class), the rows are counted
// into place, which is stable; otherwise up to two keys make one 64-bit
// word a row, and the row's index after it breaks ties.
std::vector<std::uint32_t> OrderOfCodes(const std::vector<OrderCodes>& codes) {
  const std::size_t n = codes.front().codes.size();
  std::uint64_t range = 1;
  for (const OrderCodes& c : codes)
    range = c.bound > (1ULL << 40) / range ? 1ULL << 40 : range * c.bound;
  std::vector<std::uint32_t> order(n);
  if (range <= std::max<std::uint64_t>(4 * std::uint64_t{n}, 1 << 16)) {
    std::vector<std::uint32_t> combined(n, 0);
    for (const OrderCodes& c : codes)
      for (std::size_t i = 0; i < n; ++i)
        combined[i] = static_cast<std::uint32_t>(combined[i] * c.bound + c.codes[i]);
    std::vector<std::uint32_t> start(range + 1, 0);
    for (std::uint32_t k : combined) ++start[k + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    for (std::size_t i = 0; i < n; ++i) order[start[combined[i]]++] = static_cast<std::uint32_t>(i);
    return order;
  }
  if (codes.size() > 2) {
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      for (const OrderCodes& c : codes)
        if (c.codes[a] != c.codes[b]) return c.codes[a] < c.codes[b];
      return false;
    });
    return order;
  }
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t low = codes.size() == 2 ? codes[1].codes[i] : 0;
    keyed[i] = {(std::uint64_t{codes[0].codes[i]} << 32) | low, static_cast<std::uint32_t>(i)};
  }
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < n; ++i) order[i] = keyed[i].second;
  return order;
}

}  // namespace

void ReportGrid::Sort(int col, bool ascending) {
  Sort(std::vector<SortColumn>{{col, ascending}});
}

void ReportGrid::Sort(const std::vector<SortColumn>& keys) {
  for (const SortColumn& key : keys) CheckCol(key.col);
  const auto first = static_cast<std::size_t>(contents_.fixed_rows);
  if (contents_.cells.Rows() <= first + 1 || keys.empty()) return;
  PermuteRows(static_cast<int>(first), SortOrder(keys));
}

std::vector<std::uint32_t> ReportGrid::SortOrder(const std::vector<SortColumn>& keys,
                                                 const std::vector<std::uint32_t>& start) const {
  for (const SortColumn& key : keys) CheckCol(key.col);
  const auto first = static_cast<std::size_t>(contents_.fixed_rows);
  const std::size_t n = contents_.cells.Rows() - first;
  if (!start.empty()) CheckOrder(start);
  std::vector<std::uint32_t> order = start;
  if (order.empty()) {
    order.resize(n);
    std::iota(order.begin(), order.end(), 0u);
  }
  if (n <= 1 || keys.empty()) return order;
  std::vector<OrderCodes> codes;
  codes.reserve(keys.size());
  for (const SortColumn& key : keys) {
    OrderCodes c = CodesOf(contents_.cells, first, n, key);
    if (!start.empty()) {
      std::vector<std::uint32_t> moved(n);
      for (std::size_t i = 0; i < n; ++i) moved[i] = c.codes[start[i]];
      c.codes = std::move(moved);
    }
    codes.push_back(std::move(c));
  }
  std::vector<std::uint32_t> sorted = OrderOfCodes(codes);
  for (std::uint32_t& row : sorted) row = order[row];
  return sorted;
}

void ReportGrid::ReorderRows(std::vector<std::uint32_t> order) {
  CheckOrder(order);
  PermuteRows(contents_.fixed_rows, std::move(order));
}

void ReportGrid::CheckOrder(const std::vector<std::uint32_t>& order) const {
  const std::size_t n = contents_.cells.Rows() - static_cast<std::size_t>(contents_.fixed_rows);
  std::vector<bool> seen(n, false);
  const bool whole = order.size() == n && std::all_of(order.begin(), order.end(), [&](auto row) {
                       if (row >= n || seen[row]) return false;
                       seen[row] = true;
                       return true;
                     });
  if (!whole) throw GridError("行的顺序无效：不是每一行各出现一次");
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
