// All-subject statistics (gdktj): the statistics of every subject over all
// students, transposed: statistic names down column 1, one column per
// subject. Every subject gets the segment rows of the largest full mark.
#pragma once

#include "data/app_state.h"
#include "output/document.h"

namespace reports {

// Leaves ReportTitle as it was: the title goes to the caption and title box.
void AllSubjectStats(output::Document& doc, data::AppState& state);

}  // namespace reports
