// The data information tables: the overview (cjbxx: classes, enrolled,
// sat, absent and teachers per school and subject, with a 合 计 row), and
// the lists of the schools (cjbschool) and of the school and class pairs
// (cjbclass) found in 成绩表.
#pragma once

#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"

namespace reports {

// Uses the subject lines as already loaded.
void ExamOverview(output::Document& doc, data::AppState& state,
                  output::Date today = output::Today());
void SchoolList(output::Document& doc, data::AppState& state);
void ClassList(output::Document& doc, data::AppState& state);

}  // namespace reports
