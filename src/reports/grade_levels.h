// 等级评价 (djpj) and 等级分布 (djtj): letters instead of scores and ranks,
// as compulsory education reports results to families.
//
// A subject's letter: A at or above its 优秀 line, B at or above 优良, C at
// or above 及格, D below, 缺 when absent (the lines as the import computes
// them, FullMark × % / 100). 总评 from 全科总分 by proportion: 全科排名 ≤
// 15 % of the number of students is A, ≤ 50 % B, ≤ 85 % C, else D (the
// cumulative cut points can be changed); tied students share the best rank,
// so a tie across a cut point takes the better letter.
#pragma once

#include <cstdint>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

struct GradeOptions {
  double cuts[3] = {15, 50, 85};  // cumulative percentages for A, B, C
};

// One row per student in the statistics table's order: 学校, 学号, 班级,
// 姓名, a letter per subject (headed by its name), 总评. No score or rank, so
// the list can be given to families. Throws ReportError unless 0 ≤ cuts[0]
// ≤ cuts[1] ≤ cuts[2] ≤ 100.
void GradeListReport(output::Document& doc, data::AppState& state, const GradeOptions& options,
                     common::ProgressSink& progress, output::Date today);

// A student's letter in a subject by its lines, and 总评 by 全科排名 among
// all students with `cuts` (GradeOptions).
stats::Grade SubjectGrade(const stats::ExamSnapshot& exam, std::size_t subject,
                          std::size_t student);
stats::Grade OverallGrade(const stats::ExamSnapshot& exam, std::size_t student,
                          const double (&cuts)[3]);

// The numbers of A, B, C and D per subject: counts[0] over the whole exam,
// counts[c + 1] in class c (of exam.Classes()), each laid out as
// [subject × 4 + letter]. Absent students are in none of them.
std::vector<std::vector<std::int64_t>> GradeCounts(const stats::ExamSnapshot& exam);

// Per class, a 合计 row first: 学校, 班级, then for each subject the numbers
// of A, B, C and D (columns 科目A, 科目B, 科目C, 科目D). Absent students are
// in none of them.
void GradeCountReport(output::Document& doc, data::AppState& state, common::ProgressSink& progress,
                      output::Date today);
// The catalog's djpj (--ratio A,B,C) and djtj (no options).
void GradeListKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);
void GradeCountKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
