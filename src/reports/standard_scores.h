// 标准分 (bzf): every student's T scores, one row per student in the order
// of the statistics table: 学校, 学号, 班级, 姓名, then for each subject
// (headed by its name) its T score, then 总分T.
//
// T = 50 + 10 × (x − mean) / sd, the mean and the population standard
// deviation (dividing by n, as standard scores are defined) taken over the
// students who sat the subject; 总分T over every student's 全科总分. An
// absent subject leaves its cell empty; a subject without spread gives 50.
// Shown with one decimal.
#pragma once

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

void StandardScoreReport(output::Document& doc, data::AppState& state,
                         common::ProgressSink& progress, output::Date today);
// The catalog's bzf (no options).
void StandardScoreKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
