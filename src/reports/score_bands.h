// 一分一段表 (yfyd): how many students scored in each band of a subject or a
// total, from the highest band present down to the lowest (empty bands
// listed too), with the running count and its share of all counted.
//
// A band of width N starts at floor(score / N) × N and holds the scores
// below the next one. A subject counts those who sat it, a total every
// student; with a school, only that school's students.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

struct ScoreBandOptions {
  std::string measure = "全科总分";  // a subject, 全科总分 or 主科总分
  int step = 1;                      // band width in points, at least 1
  std::string school;                // empty for every school
};

// The bands the report lists, highest first, counted over `exam`. Throws
// ReportError as ScoreBandReport does.
std::vector<stats::Band> ScoreBandCounts(const stats::ExamSnapshot& exam,
                                         const ScoreBandOptions& options);

// Columns 分数, 人数, 累计人数, 累计百分比. Throws ReportError for an unknown
// subject or school, a width below 1, or more bands than a table can show.
void ScoreBandReport(output::Document& doc, data::AppState& state, const ScoreBandOptions& options,
                     common::ProgressSink& progress, output::Date today);
// The catalog's yfyd: --subject (a subject, 全科总分 or 主科总分), --step, --school.
void ScoreBandKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
