// 临界生名单 (ljs): the students just short of a goal, for the teachers who
// will give them extra attention.
//
// By a subject's line: those with L − D ≤ score < L, L being the subject's
// 优秀, 优良 or 及格 line as the import computes it (FullMark × % / 100) and
// D the band in points; columns 学校, 班级, 学号, 姓名, 成绩, 线, 差 (L −
// score). By rank: those whose 全科排名 is N + 1 … N + K, just outside the
// top N; columns 学校, 班级, 学号, 姓名, 全科总分, 全科排名, 差 (the N-th
// highest 全科总分 minus theirs). Either way ordered by 学校, 班级 (as the
// statistics reports order classes), then 差 ascending, then table order.
#pragma once

#include <string>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

struct NearLineOptions {
  std::string subject;        // by a subject's line when given
  std::string line = "及格";  // 优秀, 优良 or 及格
  int rank = 0;               // by rank: N (when no subject is given)
  double band = 5;            // D points below the line, or K ranks after N
};

// Throws ReportError when neither or both of subject and rank are given,
// for an unknown subject or line, a negative band, or, by rank, an N or K
// that is not a whole number of at least 1.
void NearLineReport(output::Document& doc, data::AppState& state, const NearLineOptions& options,
                    common::ProgressSink& progress, output::Date today);
// The catalog's ljs: --subject, --line, --band, or --rank with --band.
void NearLineKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
