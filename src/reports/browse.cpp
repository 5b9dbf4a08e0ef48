#include "reports/browse.h"

#include <optional>

#include "data/score_database.h"
#include "output/report_layout.h"
#include "output/skip_step.h"
#include "reports/stat_columns.h"
#include "stats/stored_columns.h"

namespace reports {

void FillScoreTable(output::Document& doc, const data::AppState& state) {
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  std::optional<engine::ValueColumns> table;
  if (db) output::SkipOnError([&] { table = stats::ReadStoredTable(*db); });
  if (table)
    output::ShowColumnsInGrid(doc, state, *table, output::FieldFormat::kAsEntered);
  else
    output::ShowSourceInGrid(doc, state, "成绩表", output::FieldFormat::kAsEntered);
}

// Read as the query reads it, never stored: this is the first sheet of
// `report all`, and storing the copy here would hold the write lock while
// the analysis sheets' threads open the database, and make them wait.
void ShowScoreTable(output::Document& doc, data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "成绩表";
  output::ShowSourceInGrid(doc, state, "成绩表", output::FieldFormat::kAsEntered);
  output::SkipOnError([&] { data::LoadSubjectLines(state); });
  output::LayoutBrowseGrid(doc, state);
}

void ShowTeacherTable(output::Document& doc, data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "教师表";
  output::ShowSourceInGrid(doc, state, "教师表", output::FieldFormat::kTwoDecimals);
  // Column 2 is 班级: a number when the workbook gave one.
  output::SkipOnError([&] {
    doc.grid.SetColMask(2, grid::kMaskNumber);
    doc.grid.SetColFormat(2, "0");
    doc.grid.SetColAlignment(2, grid::kAlignCenter);
  });
  output::LayoutBrowseGrid(doc, state);
}

void ShowSubjectLines(output::Document& doc, data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "三线表";
  output::ShowSourceInGrid(doc, state, "三线表", output::FieldFormat::kTwoDecimals);
  output::LayoutBrowseGrid(doc, state);
}

void ShowStatisticsTable(output::Document& doc, data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "统计表";
  output::ShowSourceInGrid(doc, state, "统计表", output::FieldFormat::kTwoDecimals);
  output::SkipOnError([&] { data::LoadSubjectLines(state); });
  output::SkipOnError([&] {
    for (int c = state.subject_lines.FirstSubjectCol; c > 0 && c < doc.grid.Cols(); ++c)
      doc.grid.SetColMask(c, grid::kMaskNumber);
  });
  output::LayoutStatGrid(doc, state);
}

}  // namespace reports
