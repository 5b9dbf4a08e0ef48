// The browse commands: one database table shown whole in a report.
#pragma once

#include "data/app_state.h"
#include "output/document.h"

namespace reports {

void ShowScoreTable(output::Document& doc, data::AppState& state);  // 成绩表, scores as entered
void ShowTeacherTable(output::Document& doc, data::AppState& state);  // 教师表
void ShowSubjectLines(output::Document& doc, data::AppState& state);  // 三线表
void ShowStatisticsTable(output::Document& doc,
                         data::AppState& state);  // 统计表, laid out as statistics

}  // namespace reports
