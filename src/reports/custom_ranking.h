// Custom totals and rankings on a score listing, and the three edit commands
// that rank, sort and restore the rows of whatever report is active.
//
// The choices come from the settings dialog's totals and ranking pages: one
// row per report column from FirstSubjectCol to the last column.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "grid/report_grid.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace reports {

// One row of the totals grid: 科目, 是否合计, 合计比例%, 合计在此列右.
struct TotalsRow {
  std::string subject;
  bool in_total = true;
  std::string percent = "100";  // one of "100", "90", ... "0", or typed
  bool right_of = false;
};
// The totals page: its grid and the combo box 合计列名 (Combo1).
struct TotalsPage {
  std::vector<TotalsRow> rows;
  std::string column_name = "总分";
};

// One row of the ranking grid: 科目, 是否排段名, 是否排校名, 是否排班名, 排名方式.
struct RankingRow {
  std::string subject;
  bool grade = false;
  bool school = false;
  bool klass = false;
  std::string mode = "1";  // "1" skips ranks after a tie, "2" does not
};

// shezhi: the totals page (k = 0) and the ranking page (k = 1) of the
// settings dialog, one row per report column from FirstSubjectCol to the
// last, with their defaults.
TotalsPage BuildTotalsPage(const grid::ReportGrid& report, int first_subject_col);
std::vector<RankingRow> BuildRankingPage(const grid::ReportGrid& report, int first_subject_col);
// A tick in 合计在此列右 clears every other row's.
void TickRightOf(TotalsPage& page, int row);

enum class RankScope { kGrade, kSchool, kClass };

// The menu commands 自定义合计总分排名 and 自定义排名: a plain listing of
// 成绩表 in a new document, on which the dialog then acts.
output::Document CustomTotalListing(data::AppState& state);
output::Document CustomRankingListing(data::AppState& state);

// OK on the totals page: adds the custom total column to `grid`, right of the
// column whose row has 合计在此列右 ticked (the last ticked one).
void ApplyCustomTotal(grid::ReportGrid& grid, int first_subject_col, const TotalsPage& page,
                      common::ProgressSink& progress);

// OK on the ranking page: adds the rank columns right of their subjects,
// then puts the rows back in the order they had, and lays the listing out.
void ApplyRanking(output::Document& doc, const data::AppState& state,
                  const std::vector<RankingRow>& rows, common::ProgressSink& progress);

// Adds one rank column right of the column headed `subject` (before the last
// column, the order column); does nothing when there is none.
void AddRankColumn(grid::ReportGrid& grid, int mode, RankScope scope, const std::string& subject,
                   common::ProgressSink& progress);

// 选定的列排名: numbers the rows of column `col` by position in its
// descending order (equal values get different numbers); a 合计 first row
// stays in place without a number. The row order is kept.
void RankSelectedColumn(grid::ReportGrid& grid, int col);
// The same on the column of the grid's active cell.
void RankSelectedColumn(grid::ReportGrid& grid);

// 选定的列排序: switches user sorting on (keeping a 合计 first row fixed) and
// returns the message the user is shown.
std::string SortBySelectedColumn(grid::ReportGrid& grid);

// 恢复原来顺序: sorts ascending on the last column.
void RestoreFilledOrder(grid::ReportGrid& grid);

// zdyzf and zdypm1 from choices: the totals page ("--total", "--after",
// "--name") and the ranking page ("--rank", repeatable).
output::Document CustomTotalReport(ReportRun& run, const ReportChoices& choices);
output::Document CustomRankingReport(ReportRun& run, const ReportChoices& choices);

}  // namespace reports
