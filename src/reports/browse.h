// The browse commands: one database table shown whole in a report.
#pragma once

#include "data/app_state.h"
#include "output/document.h"

namespace reports {

// Fills `doc` with 成绩表, scores as entered, as ShowSourceInGrid fills it:
// from the table's stored copy (stats/stored_columns.h) when that is current,
// since reading 100,000 records through SQLite cost more than ranking them.
// What cannot be read fills as the query does (an empty report).
void FillScoreTable(output::Document& doc, const data::AppState& state);

void ShowScoreTable(output::Document& doc, data::AppState& state);  // 成绩表, scores as entered
void ShowTeacherTable(output::Document& doc, data::AppState& state);  // 教师表
void ShowSubjectLines(output::Document& doc, data::AppState& state);  // 三线表
void ShowStatisticsTable(output::Document& doc,
                         data::AppState& state);  // 统计表, laid out as statistics

}  // namespace reports
