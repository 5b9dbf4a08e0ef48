#include "reports/listing_ranks.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/text_number.h"

namespace reports {

int DataRowCount(const grid::ReportGrid& grid) {
  return std::max(0, grid.Rows() - 2);
}

namespace {

// Writes each (row, number) of `numbers` into column `col`: as one column of
// the distinct number texts when they cover rows 1 to N once each, as the
// listings' passes do, else cell by cell. Every number lies in 1 .. N.
void WriteNumbers(grid::ReportGrid& grid, int col,
                  const std::vector<std::pair<int, long long>>& numbers) {
  constexpr std::uint32_t kUnset = UINT32_MAX;
  const std::size_t n = numbers.size();
  std::vector<std::uint32_t> index(n, kUnset), text_of(n + 1, kUnset);
  std::vector<std::string> texts;
  bool whole = true;
  for (const auto& [row, number] : numbers) {
    const auto at = static_cast<std::size_t>(row - 1);
    const auto value = static_cast<std::size_t>(number);
    if (row < 1 || at >= n || index[at] != kUnset || number < 1 || value > n) {
      whole = false;
      break;
    }
    if (text_of[value] == kUnset) {
      text_of[value] = static_cast<std::uint32_t>(texts.size());
      texts.push_back(common::TextOfInteger(number));
    }
    index[at] = text_of[value];
  }
  if (whole) {
    grid.SetColumnTexts(col, 1, texts, index);
    return;
  }
  for (const auto& [row, number] : numbers)
    grid.SetCellText(row, col, common::TextOfInteger(number));
}

}  // namespace

void WriteRanks(grid::ReportGrid& grid, int score, int rank, int group, int mode,
                const PassProgress& progress, const std::vector<std::uint32_t>& order) {
  const int n = DataRowCount(grid);
  if (!order.empty() && order.size() < static_cast<std::size_t>(n))
    throw std::logic_error("WriteRanks: the order leaves out rows");
  // The ranks are written once the pass is over.
  std::vector<std::pair<int, long long>> ranks;
  ranks.reserve(static_cast<std::size_t>(n));
  std::string_view previous_score;
  std::string_view previous_group;
  long long current = 0;
  long long ties = 0;
  for (int i = 1; i <= n; ++i) {
    const int row =
        order.empty() ? i
                      : grid.FixedRows() + static_cast<int>(order[static_cast<std::size_t>(i - 1)]);
    const std::string_view score_text = grid.CellText(row, score);
    const std::string_view group_text =
        group == kNoGroup ? std::string_view() : grid.CellText(row, group);
    if (i == 1 || (group != kNoGroup && group_text != previous_group)) {
      current = 1;
      ties = 0;
    } else if (score_text != previous_score) {
      current = current + ties + 1;
      ties = 0;
    } else if (mode == kRankSkip) {
      ++ties;
    }
    ranks.emplace_back(row, current);
    previous_score = score_text;
    previous_group = group_text;
    progress.At(i);
  }
  WriteNumbers(grid, rank, ranks);
}

int AppendOrderColumn(grid::ReportGrid& grid) {
  const int col = grid.Cols();
  grid.SetCols(col + 1);
  grid.SetColMask(col, grid::kMaskNumber);
  grid.SetColWidth(col, 0);
  WriteOrderNumbers(grid, col);
  return col;
}

void WriteOrderNumbers(grid::ReportGrid& grid, int col, const PassProgress& progress) {
  const int n = DataRowCount(grid);
  for (int i = 1; i <= n; ++i) {
    grid.SetCellText(i, col, common::TextOfInteger(i));
    progress.At(i);
  }
}

int FindHeader(const grid::ReportGrid& grid, std::string_view header, int last) {
  int found = -1;
  last = std::min(last, grid.Cols() - 1);
  for (int c = 1; c <= last; ++c)
    if (grid.CellText(0, c) == header) found = c;
  return found;
}

std::vector<grid::SortColumn> PresentColumnKeys(std::initializer_list<int> cols) {
  std::vector<grid::SortColumn> keys;
  for (int col : cols)
    if (col > 0) keys.push_back({col, true});
  return keys;
}

void SortOnPresentColumns(grid::ReportGrid& grid, std::initializer_list<int> cols) {
  grid.Sort(PresentColumnKeys(cols));
}

std::string LeadingCharacters(std::string_view text, int count) {
  size_t end = 0;
  for (int chars = 0; chars < count && end < text.size(); ++chars) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(text.substr(0, end));
}

std::vector<float> WeightedTotals(const grid::ReportGrid& grid,
                                  const std::vector<WeightedColumn>& columns) {
  const int n = DataRowCount(grid);
  std::vector<float> totals(static_cast<std::size_t>(n), 0.0F);
  const grid::CellStore& cells = grid.Contents().cells;
  common::TextNumbers numbers;
  for (const WeightedColumn& term : columns) {
    if (term.col < 0 || term.col >= grid.Cols())
      throw grid::GridError("列号超出范围：" + std::to_string(term.col));
    for (int i = 1; i <= n; ++i) {
      const double value = numbers.Value(
          cells.Text(static_cast<std::size_t>(i), static_cast<std::size_t>(term.col)));
      float& total = totals[static_cast<std::size_t>(i - 1)];
      total = static_cast<float>(total + term.weight_pct * value / 100);
    }
  }
  return totals;
}

void WriteSingles(grid::ReportGrid& grid, int col, const std::vector<float>& values) {
  std::unordered_map<std::uint32_t, std::uint32_t> number_of;  // by the value's bits
  std::vector<std::string> texts;
  std::vector<std::uint32_t> index;
  index.reserve(values.size());
  for (const float v : values) {
    const auto [at, added] = number_of.try_emplace(std::bit_cast<std::uint32_t>(v),
                                                   static_cast<std::uint32_t>(texts.size()));
    if (added) texts.push_back(common::TextOfSingle(v));
    index.push_back(at->second);
  }
  grid.SetColumnTexts(col, 1, texts, index);
}

}  // namespace reports
