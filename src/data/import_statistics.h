// The statistics-building side of the import: the derived columns of 统计表,
// their totals and line counts and the ranks by each total.
//
// Two ways give the same values to the last bit: the two UPDATE statements
// and rank walks that define them (BuildTotalsStatements, WriteImportRanks),
// and one read of the scores, the arithmetic in memory and one write per
// row (WriteDerivedColumns), which the import uses whenever it can.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "engine/database.h"

namespace data {

// Adds the ten derived columns to 统计表 (reporting progress 40 to 80),
// reloads `lines` from the new 三线表, fills the totals and line counts and
// writes both ranks (to 100).
void BuildStatisticsTable(engine::Database& db, SubjectLines& lines,
                          common::ProgressSink& progress);

// The two UPDATE statements that fill the totals and the line counts, built
// from the subject settings (exposed for tests).
std::vector<std::string> BuildTotalsStatements(const SubjectLines& lines);
// A line of subject i (0-based) as those statements write it: LineScore of
// the full mark and `pct`, in its shortest form.
std::string LineText(const SubjectLines& lines, int i, int pct);

// Ranks by `total_column` written into `rank_column`, highest first, ties
// sharing a rank and the next rank skipping (1, 2, 2, 4).
void WriteImportRanks(engine::Database& db, const std::string& total_column,
                      const std::string& rank_column);

// Fills the eight total and count columns and the two rank columns of every
// row of 统计表 (which must have them) with exactly what the statements and
// rank walks above store. Returns false, having written nothing, when a
// score is one whose arithmetic in SQL it does not reproduce (a text, a
// whole number beyond ±2^31) or the table cannot be read as it expects;
// the caller then runs the statements. Throws engine::Error when a write
// fails.
bool WriteDerivedColumns(engine::Database& db, const SubjectLines& lines,
                         common::ProgressSink& progress);

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
