// 名次段分布 (mcfb): per class, how many of its students are among the top
// N of the whole exam, for several N, and what share of the class that is.
// A 合计 row over the whole exam comes first, then one row per class in the
// statistics reports' order (学校, then 班级).
//
// Ranks are 1, 2, 2, 4 over the whole exam, so with ties the top N can hold
// more than N students. By 全科 or 主科 every student is ranked (the ranks
// of 统计表); by a subject, those who sat it. 人数 counts the ranked
// students of the class, and each rate is 前N名 / 人数 × 100.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

struct RankBandOptions {
  std::string by = "全科";                      // 全科, 主科 or a subject
  std::vector<int> tops = {50, 100, 200, 300};  // the N, each at least 1, in the order shown
};

// Columns 学校, 班级, 人数, 前N名 for each N, then 前N名率 for each N.
// Throws ReportError for an unknown subject or a missing or non-positive N.
void RankBandReport(output::Document& doc, data::AppState& state, const RankBandOptions& options,
                    common::ProgressSink& progress, output::Date today);
// The catalog's mcfb: --by (全科, 主科 or a subject), --n N1,N2,….
void RankBandKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
