// The subject-count report (topn): 统计表 whole, with each student's totals,
// ranks and the numbers of subjects at the 优秀, 优良 and 及格 lines.
#pragma once

#include "data/app_state.h"
#include "output/document.h"

namespace reports {

void SubjectCountReport(output::Document& doc, data::AppState& state);

}  // namespace reports
