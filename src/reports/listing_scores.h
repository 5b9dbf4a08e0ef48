// The two ranked score listings of 成绩表: every student with weighted total,
// average and ranks in the grade (段名) and in the class (班名); czzpm adds the
// main-subject total 合计 with its own ranks right of the last main subject.
#pragma once

#include "common/progress.h"
#include "data/app_state.h"
#include "grid/report_grid.h"
#include "output/document.h"

namespace reports {

// The menu commands: set ReportMode and ReportTitle in `state`, fill a new
// document from 成绩表 and rank it. Reloads the subject lines first.
output::Document TotalRankListing(data::AppState& state, common::ProgressSink& progress);
output::Document MainTotalRankListing(data::AppState& state, common::ProgressSink& progress);

// The grid steps on an already filled listing (c0 = its column count):
// appends 平均, 总分, 段名, 班名 and the hidden order column, writes the
// order numbers and the totals, ranks by the grade and then by the class,
// and leaves the rows ordered by school, class and total (highest first).
void AddTotalAndRanks(grid::ReportGrid& grid, const data::SubjectLines& lines,
                      common::ProgressSink& progress);
// Inserts 合计, 段名, 班名 right of the last main subject and ranks the
// main-subject total the same way. Returns the column of 合计.
int AddMainSubjectTotal(grid::ReportGrid& grid, const data::SubjectLines& lines,
                        common::ProgressSink& progress);

}  // namespace reports
