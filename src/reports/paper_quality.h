// 试卷质量 (sjzl): one row per subject in 三线表's order, judging the paper
// by how the students did: 科目, 满分, 人数 (who sat), 平均分, 难度 (mean /
// 满分), 区分度 ((mean of the top 27 % − mean of the bottom 27 %) / 满分,
// the groups k = 27 % of 人数 rounded half up, at least 1, by score), 标准差
// (sample, n − 1), 差异系数 (标准差 / 平均分), 最高分, 最低分, 相关系数
// (Pearson's, of the subject with 全科总分 over those who sat). Figures that
// do not exist (nobody sat, one score, no spread) are left empty.
#pragma once

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

void PaperQualityReport(output::Document& doc, data::AppState& state,
                        common::ProgressSink& progress, output::Date today);
// The catalog's sjzl (no options).
void PaperQualityKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
