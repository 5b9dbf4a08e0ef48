// 成绩跟踪表 (gzb): one student or one class through every exam of the
// library, one row per exam in date order (stats/exam_history.h).
//
// A student (--student 学号, found in the current exam, followed into the
// others by the matching rules): 考试, 导入日期, each subject's score (the
// subjects of all the exams, in the order they first appear), 全科总分,
// 全科排名 and 班名 (the rank by 全科总分 within 学校 + 班级 of that exam).
//
// A class (--class 学校/班级): 考试, 导入日期, 人数, each subject's 平均分
// (over those who sat it) under the subject's name, the 平均分 of 全科总分
// under 全科总分, and under 全科排名 the class's rank among that exam's
// classes by it (1, 2, 2, 4); means with two decimals.
//
// An exam without the student or the class keeps its row, with its name and
// date only.
#pragma once

#include <string>

#include "data/app_state.h"
#include "output/document.h"
#include "reports/report_catalog.h"
#include "stats/exam_history.h"

namespace reports {

// Whom the tracking report and the trend chart follow: a student by 学号,
// or a class (student empty).
struct TrackedOne {
  std::string student;
  std::string school, class_name;
};
// The options both declare: --student 学号 or --class 学校/班级.
inline constexpr ReportOption kTrackingOptions[] = {
    {"student", "学号", "", false, "学生的学号"},
    {"class", "学校/班级", "", false, "或班级（学校/班级）"},
};
// Throws ReportError when neither or both are given, or the class is not
// written 学校/班级.
TrackedOne ReadTrackedOne(const ReportChoices& choices);

// The histories of stats/exam_history.h, refused with a ReportError when the
// current exam has no such student, or no exam has the class.
std::vector<stats::StudentExamResult> TrackedStudent(const data::AppState& state,
                                                     const std::string& student_number,
                                                     common::ProgressSink& progress);
std::vector<stats::ClassExamResult> TrackedClass(const data::AppState& state,
                                                 const std::string& school,
                                                 const std::string& class_name,
                                                 common::ProgressSink& progress);

void StudentTracking(output::Document& doc, data::AppState& state,
                     const std::string& student_number, common::ProgressSink& progress,
                     output::Date today);
void ClassTracking(output::Document& doc, data::AppState& state, const std::string& school,
                   const std::string& class_name, common::ProgressSink& progress,
                   output::Date today);
// The catalog's gzb: --student 学号 or --class 学校/班级. Throws ReportError
// when neither or both are given.
void TrackingKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
