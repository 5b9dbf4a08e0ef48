// Reports on two exams of the library: the current exam against a base exam
// (an earlier one, as a rule). Students are paired by the matching rules of
// stats/exam_matching.h, never by guess; every such report names the base
// exam and the number of students paired in its second title.
//
// 学生进退步表 (jtb): one row per paired student of the current exam, by
// 学校, 班级, then 本次名次: 学校, 学号, 班级, 姓名, 本次总分, 本次名次,
// 上次总分, 上次名次, 名次变化 (上次 − 本次: positive is progress),
// 进退步系数 (名次变化 / 上次名次, two decimals), 本次班名, 上次班名,
// 班名变化. Totals and ranks are 全科总分 and 全科排名 of each exam's 统计表
// (--by 主科: 主科总分 and 主科排名); 班名 ranks by the same total within
// 学校 + 班级 of that exam (1, 2, 2, 4). Then a row 未能对应的学生 and the
// unpaired students of the current exam, in the same order, with the
// current exam's columns only.
//
// 班级对比表 (bjdb) is class_comparison.h; 成绩跟踪表 (gzb) score_tracking.h.
#pragma once

#include <string>

#include "data/app_state.h"
#include "data/exam_library.h"
#include "output/document.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

// The base exam: the "base" choice (an id, or "id 名称" as the desktop's list
// shows an exam), else the exam before the current one in date order.
// Throws ReportError when there is none, or it is the current exam.
data::ExamInfo ChosenBaseExam(const data::AppState& state, const ReportChoices& choices);

// "id 名称": an exam as a list shows it, which ChosenBaseExam reads back.
std::string ExamChoiceText(const data::ExamInfo& exam);

// The title settings with the second title naming the base exam and the
// students paired: "对比考试：名称" on the left, "对应学生 N 人" on the right.
data::TitleSettings ComparedTitles(const data::AppState& state, const data::ExamInfo& base,
                                   std::size_t matched);

// A figure with two decimals, as the comparison reports show means, rates
// and changes: "85.50", "-0.33".
std::string TwoDecimals(double value);

// 学生进退步表: `by_main` ranks by 主科总分 instead of 全科总分.
void ProgressTable(output::Document& doc, data::AppState& state, const data::ExamInfo& base,
                   bool by_main, common::ProgressSink& progress, output::Date today);
// The catalog's jtb: --base, --by 全科|主科.
void ProgressTableKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
