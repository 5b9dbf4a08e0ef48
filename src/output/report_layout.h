// Filling a report grid from a table or saved query, and the two layouts
// every report ends with: a statistics report (segment headers shortened,
// number formats by header word, landscape when wide) and a listing
// (portrait, narrow columns from the fifth on).
//
// None of these throws: a failing step is skipped and the next one runs, so
// a report made before the first import is an empty report, not an error.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include <vector>

#include "data/app_state.h"
#include "engine/value.h"
#include "engine/value_columns.h"
#include "output/document.h"

namespace engine {
class Database;
}

namespace output {

// How a filled report shows its number fields: a listing keeps the scores as
// entered ("General Number"), a statistics report shows two decimals ("0.00").
enum class FieldFormat { kAsEntered, kTwoDecimals };

// Fills `doc` from the table or saved query `source` of the database at
// state.database_path: field names in row 0, field k in grid column k + 1,
// one row per record with the row-header tag "U", then one empty row. A
// double field other than 学号 gets mask 5, width 50 and the format
// "General Number" or "0.00" as `format` says.
// Sets the caption to state.report_title and the title box to the title
// followed by " [共有 n 个记录]", or " [没有记录]" when the source is empty or
// cannot be read. Returns true exactly when no record was shown.
bool ShowSourceInGrid(Document& doc, const data::AppState& state, std::string_view source,
                      FieldFormat format);
// The same on a database the caller already holds open.
bool ShowSourceInGrid(Document& doc, const data::AppState& state, engine::Database& db,
                      std::string_view source, FieldFormat format);

// Records computed without a query, with the names and types the query
// computing them would give its fields: every record holds one value per name.
struct ComputedTable {
  std::vector<std::string> names;
  std::vector<engine::FieldType> types;
  std::vector<std::vector<engine::Value>> records;
};
// Fills `doc` from `table` exactly as ShowSourceInGrid fills it from a query
// with those fields and records.
bool ShowTableInGrid(Document& doc, const data::AppState& state, const ComputedTable& table,
                     FieldFormat format);

// Fills `doc` from records held column by column, exactly as ShowSourceInGrid
// fills it from the recordset they were read from.
bool ShowColumnsInGrid(Document& doc, const data::AppState& state,
                       const engine::ValueColumns& table, FieldFormat format);

// The day printed after the right subtitle when ShowDate is "1".
using Date = std::chrono::year_month_day;
Date Today();
// "2026-12-06": the date as the subtitle line shows it.
std::string DateText(Date date);

// Lays the grid out as a statistics report. Adds (never replaces) the two
// print titles: the title box text, and LeftSubtitle || RightSubtitle (+
// the date). Landscape when the columns' widths before the layout, W,
// satisfy W / 38 × 1.01 > 20; then fitted to the paper (paper_fit.h).
void LayoutStatGrid(Document& doc, const data::AppState& state, Date today = Today());

// Lays the grid out as a listing: the same titles and page, portrait unless
// fitting it to the paper turns it, no number formats; columns from the
// fifth on are 38 wide (or as wide as their texts) except hidden ones, which
// stay hidden.
void LayoutListGrid(Document& doc, const data::AppState& state, Date today = Today());

// Gives a browsed table (成绩表, 教师表, 三线表) the print titles and page of a
// report, keeping its columns' widths, formats and alignment.
void LayoutBrowseGrid(Document& doc, const data::AppState& state, Date today = Today());

// The parts of the layouts that reports building their own grid reuse.
// AddReportTitles: the two print titles of the layouts above, `title` (宋体
// 14) and LeftSubtitle||RightSubtitle followed by the date when ShowDate is
// "1" (Arial 10, aligned to the table), both on every page. The desktop's
// title box rebuilds them with the same call.
void AddReportTitles(grid::ReportGrid& grid, const std::string& title,
                     const data::TitleSettings& settings, Date today);
// True when a table `total_width` pixels wide is printed landscape.
bool NeedsLandscape(int total_width);
// Margins, printing options and the footer "共&n页  第&p页"; `orientation`
// is grid::kPortrait or grid::kLandscape; `title_rows` as print_title_rows.
void SetUpReportPage(grid::ReportGrid& grid, int orientation, int title_rows);

}  // namespace output
