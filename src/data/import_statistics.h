// The statistics-building side of the import: the derived columns of 统计表,
// their totals and line counts (two UPDATE statements over the whole table)
// and the ranks by each total.
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

// Ranks by `total_column` written into `rank_column`, highest first, ties
// sharing a rank and the next rank skipping (1, 2, 2, 4).
void WriteImportRanks(engine::Database& db, const std::string& total_column,
                      const std::string& rank_column);

}  // namespace data
