// The rank pass, the hidden order column and the weighted totals that the
// ranked listings and the custom totals and rankings share. All of it works
// on a filled listing: row 0 headers, data rows 1 to N = Rows() - 2, one
// empty row after the last record.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "grid/report_grid.h"

namespace reports {

// How a rank pass reports progress: row i of a pass is value base + i of
// maximum. A null sink reports nothing.
struct PassProgress {
  common::ProgressSink* sink = nullptr;
  long long base = 0;
  long long maximum = 0;
  std::string_view stage;
  void At(long long i) const {
    if (sink) sink->Report(base + i, maximum, stage);
  }
};

inline constexpr int kNoGroup = -1;

// Tie rules: mode 1 skips the ranks after a tie (1, 2, 2, 4), any other mode
// does not (1, 2, 2, 3).
inline constexpr int kRankSkip = 1;
inline constexpr int kRankDense = 2;

// Number of data rows of a filled listing.
int DataRowCount(const grid::ReportGrid& grid);

// Writes ranks of score column `score` into column `rank` for rows 1 to N,
// which must already be sorted by score, highest first, within each group.
// A group (column `group`, or kNoGroup for none) starts wherever its text
// changes from the row above; ties are judged on the cell texts as stored.
// With `order` (from ReportGrid::SortOrder) the pass takes the rows in that
// order instead of as they stand, and leaves them where they are.
void WriteRanks(grid::ReportGrid& grid, int score, int rank, int group, int mode,
                const PassProgress& progress = {}, const std::vector<std::uint32_t>& order = {});

// Appends a hidden order column holding 1 to N in the current row order and
// returns its index. Sorting ascending on it restores that order.
int AppendOrderColumn(grid::ReportGrid& grid);
void WriteOrderNumbers(grid::ReportGrid& grid, int col, const PassProgress& progress = {});

// The column among 1 .. last (inclusive) whose header is `header`; the last
// such column wins; -1 when there is none.
int FindHeader(const grid::ReportGrid& grid, std::string_view header, int last);

// Sorts ascending on those of `cols` that exist (col > 0), the first the
// most significant; a listing without a 学校 or 班级 column is simply not
// grouped by it.
void SortOnPresentColumns(grid::ReportGrid& grid, std::initializer_list<int> cols);
// Those keys, ascending.
std::vector<grid::SortColumn> PresentColumnKeys(std::initializer_list<int> cols);

// The first `count` characters of a UTF-8 text (headers and column names
// are Chinese, so bytes would cut a character in half).
std::string LeadingCharacters(std::string_view text, int count);

// One weighted term of a total: the grid column and its weight in percent.
struct WeightedColumn {
  int col;
  int weight_pct;
};

// Sum of weight × numeric value / 100 over `columns` for each row 1 to N
// (element 0 is row 1), accumulated in single precision as the listings have
// always done: every partial sum is rounded to float, in the order of
// `columns`, so totals agree with the stored SINGLE totals of 统计表. A
// column is read at once and each distinct score text read once.
std::vector<float> WeightedTotals(const grid::ReportGrid& grid,
                                  const std::vector<WeightedColumn>& columns);

// Writes `values` (rows 1 to N) into column `col` as TextOfSingle writes
// them, each distinct value formatted once.
void WriteSingles(grid::ReportGrid& grid, int col, const std::vector<float>& values);

}  // namespace reports
