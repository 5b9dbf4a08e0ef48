// The statistics-building side of the import: the derived columns of 统计表,
// their totals and line counts and the ranks by each total.
//
// Two ways give the same values to the last bit: the two UPDATE statements
// and rank walks that define them (FillDerivedColumnsBySql), and the
// arithmetic in memory on the scores as they are written (DerivedColumns),
// whose values go into each row as it is inserted. The import uses the
// second whenever it can.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "engine/database.h"

struct sqlite3_stmt;

namespace data {

// Adds the ten derived columns to 统计表 (reporting progress 40 to 60).
void AddDerivedColumns(engine::Database& db, common::ProgressSink& progress);

// Fills the totals and line counts of every row of 统计表 with the two
// statements and writes both ranks with the rank walks (80 to 100).
void FillDerivedColumnsBySql(engine::Database& db, const SubjectLines& lines,
                             common::ProgressSink& progress);

// A line of subject i (0-based) as the totals statements write it: LineScore of
// the full mark and `pct`, in its shortest form.
std::string LineText(const SubjectLines& lines, int i, int pct);

// Ranks by `total_column` written into `rank_column`, highest first, ties
// sharing a rank and the next rank skipping (1, 2, 2, 4).
void WriteImportRanks(engine::Database& db, const std::string& total_column,
                      const std::string& rank_column);

// Fills `scores` (one per subject of the lines, in their order) with the
// scores of the next row; NaN for an absent score, as SQLite stores NaN as
// NULL.
using ScoreRow = std::function<void(double* scores)>;

// What the statements and rank walks store in the ten derived columns of
// each row, computed from the scores in memory.
class DerivedColumns {
 public:
  // The columns in the order Bind binds them (the order they are added in).
  static const std::array<const char*, 10> kNames;

  // Asks `scores` for `rows` rows, the first to the last. nullopt when
  // a score is one whose arithmetic in SQL this does not reproduce (an
  // infinite one) or the lines' literals do not read back as numbers; the
  // caller then runs the statements.
  static std::optional<DerivedColumns> Compute(engine::Database& db, const SubjectLines& lines,
                                               std::size_t rows, const ScoreRow& scores);

  // Binds the ten values of `row` to parameters `first` to `first` + 9.
  void Bind(sqlite3_stmt* stmt, int first, std::size_t row) const;

 private:
  std::vector<float> main_total_, all_total_;
  // Per row: 主科 优秀, 优良, 及格, then 全科 优秀, 优良, 及格.
  std::vector<std::array<std::uint16_t, 6>> counts_;
  // Ranks fit 32 bits: a table has fewer rows than that.
  std::vector<std::uint32_t> main_rank_, all_rank_;
};

// The rank walk both ways share: totals come in descending order; equal
// totals share a rank and the next distinct one skips past them.
class RankWalk {
 public:
  long long Next(double total);

 private:
  long long rank_ = 0;
  long long ties_ = 0;
  // As the walk has always started: a first total of exactly -1 counts as
  // a tie with nothing and gets rank 0.
  double previous_ = -1;
};

}  // namespace data
