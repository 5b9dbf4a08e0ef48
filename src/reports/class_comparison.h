// 班级对比表 (bjdb): the classes of the current exam against the same classes
// (the same 学校 and 班级) of a base exam, one row per class present in both,
// by 学校 then 班级, after a 合计 row over each whole exam.
//
// Without a subject: 学校, 班级, 本次人数, 本次平均分, 本次前50名,
// 本次前100名, 本次前200名, the same five for the base exam (上次…), and
// 平均分变化. 人数 counts the class's students, 平均分 is the mean of their
// 全科总分, 前N名 counts those with 全科排名 ≤ N.
//
// With a subject: 学校, 班级, 教师 (of the current exam), 本次人数,
// 本次平均分, 本次优秀率, 本次及格率, the same four for the base exam, and
// 平均分变化, 优秀率变化, 及格率变化. 人数 counts those who sat the subject;
// the mean is over them, and the rates (percent) are those of 各班单科统计
// (its lines, its rounding to hundredths), each exam with its own 三线表.
//
// Means and rates show two decimals; a change is 本次 − 上次 of the figures
// before that display rounding. The second title names the base exam and
// the students paired.
#pragma once

#include <string>

#include "data/app_state.h"
#include "data/exam_library.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace reports {

// `subject` empty: by 全科总分. Throws ReportError when either exam lacks
// the subject.
void ClassComparison(output::Document& doc, data::AppState& state, const data::ExamInfo& base,
                     const std::string& subject, common::ProgressSink& progress,
                     output::Date today);
// The catalog's bjdb: --base, --subject.
void ClassComparisonKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
