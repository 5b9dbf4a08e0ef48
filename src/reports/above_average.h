// 超均率 (cjl): how far each class's mean is above or below the whole
// exam's, for one subject or for 全科总分. A 合计 row over the whole exam
// comes first, then one row per class in the statistics reports' order.
//
// 超均率 = (班均 − 年级均) / 年级均 × 100, 比均率 = 班均 / 年级均, 标准差
// the sample standard deviation (n − 1) as the single-subject statistics
// give it, 排名 the rank of the class mean among the classes (1, 2, 2, 4).
// A subject counts those who sat it, a total every student. Figures that do
// not exist (a class where nobody sat, a spread of one score, a mean of 0
// to divide by) are left empty.
#pragma once

#include <string>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

struct AboveAverageOptions {
  std::string subject;  // empty for 全科总分; 主科总分 is accepted too
};

// Columns 学校, 班级, 教师 (a subject only: its teacher from 教师表), 人数,
// 平均分, 年级平均分, 超均率, 比均率, 标准差, 排名. Throws ReportError for an
// unknown subject.
void AboveAverageReport(output::Document& doc, data::AppState& state,
                        const AboveAverageOptions& options, common::ProgressSink& progress,
                        output::Date today);
// The catalog's cjl: --subject (a subject, or 全科总分 or 主科总分).
void AboveAverageKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
