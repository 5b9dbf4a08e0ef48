// Statistics of one subject: per class (gbkm), per school (gxkm) and per
// teacher (jskm). Each row holds 参考人数, 总分, 平均分, the counts and rates
// of 优秀/优良/及格, 综合分, 最高分, 最低分, 全距, 标准差 and one count per
// score segment; row 1 is the 合计 row over all students.
//
// The commands never throw: a failing step is skipped, so before the first
// import they give an empty report. `subject_index` is 1-based, as in the
// menus; SubjectIndex (stat_columns.h) finds it by name.
#pragma once

#include <string>

#include "data/app_state.h"
#include "engine/database.h"
#include "output/document.h"

namespace reports {

void ClassSubjectStats(output::Document& doc, data::AppState& state, int subject_index);
void SchoolSubjectStats(output::Document& doc, data::AppState& state, int subject_index);
void TeacherSubjectStats(output::Document& doc, data::AppState& state, int subject_index);

// Completes the per-class grid: 教师 (from 教师表) in column 3 and the
// subject in column 4 of every class row; the 合计 row gets neither.
void FillClassTeachers(output::Document& doc, engine::Database& db, const std::string& subject);
// Completes the per-teacher grid: the digits of each class the teacher
// teaches ("3,12") in column 3, the subject in column 4.
void FillTeacherClasses(output::Document& doc, engine::Database& db, const std::string& subject);

}  // namespace reports
