// A student's or a class's results in every exam of the library, in date
// order: what the tracking report (gzb), the trend charts and the parent
// letters show. Each exam of the library is read once per call, one at a
// time, so memory stays that of two snapshots (plus the results asked for)
// however long the history.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "data/exam_library.h"
#include "stats/exam_snapshot.h"

namespace stats {

// An exam of the library with its own subjects, read like the current one.
// Throws data::LibraryError when there is no such exam, engine::Error when
// its tables cannot be read.
ExamSnapshot ReadLibraryExam(const std::string& database_path, int id,
                             common::ProgressSink& progress);

// The exam whose four tables `db` holds (the score database or an exam's
// file): `lines` reloaded from its 三线表, then 统计表 read. Before the first
// import (or when 统计表 cannot be read) an exam without students.
ExamSnapshot ReadExamDatabase(engine::Database& db, data::SubjectLines& lines,
                              common::ProgressSink& progress);

// Each student's rank within the class by `totals`, highest first (1, 2, 2, 4).
std::vector<std::int32_t> ClassRanks(const ExamSnapshot& exam, std::span<const double> totals);

// The mean of 全科总分 of each class of `exam`, in the order of its Classes().
std::vector<double> ClassTotalMeans(const ExamSnapshot& exam);

struct SubjectScore {
  std::string subject;
  double score = kAbsent;  // kAbsent when the student did not sit it
};

// One exam of a student's history. When the student is not in that exam
// (not yet enrolled, left, or not matched by the rules of exam_matching.h),
// `found` is false and the rest is empty.
struct StudentExamResult {
  data::ExamInfo exam;
  bool found = false;
  std::string school, student_number, class_name, name;  // as that exam has them
  std::vector<SubjectScore> scores;                      // that exam's subjects, in its order
  double all_total = 0;  // 全科总分 and 全科排名 as the exam stored them
  std::int32_t all_rank = 0;
  std::int64_t exam_size = 0;   // the exam's students
  std::int32_t class_rank = 0;  // 班名: by 全科总分 within 学校 + 班级
  std::int64_t class_size = 0;
};

// Visits every exam of the library in date order: its entry, the exam (the
// current one is `current` itself, the others read one at a time) and for
// each student of `current` the index of the student the matching rules
// pair with them there, or kUnmatched. `visit` must not keep the exam. When
// `wanted` is given, only the exams it accepts are read and visited.
using HistoryVisitor =
    std::function<void(std::size_t e, const data::ExamInfo& info, const ExamSnapshot& exam,
                       std::span<const std::int64_t> index_of)>;
void VisitHistory(const std::string& database_path, const ExamSnapshot& current,
                  common::ProgressSink& progress, const HistoryVisitor& visit,
                  const std::function<bool(const data::ExamInfo&)>& wanted = nullptr);

// The histories of several students of the current exam at once (a class's
// parent letters): `students` are indices into `current`, the current exam
// as read from the score database at `database_path`. Returns one history
// per student asked for, each one entry per exam of the library in date
// order; in every other exam the student is the one the matching rules pair
// with them. The current exam's entry comes from `current`.
std::vector<std::vector<StudentExamResult>> StudentHistories(const std::string& database_path,
                                                             const ExamSnapshot& current,
                                                             std::span<const std::size_t> students,
                                                             common::ProgressSink& progress);

// The student with 学号 `student_number` in the current exam, through every
// exam of the library. Throws data::LibraryError when the current exam has
// no such student, or more than one.
std::vector<StudentExamResult> StudentHistory(const data::AppState& state,
                                              const std::string& student_number,
                                              common::ProgressSink& progress);

// One exam of a class's history: the class is the one with the same 学校 and
// 班级 texts. Means are over the class's students who sat the subject, the
// overall mean over all its students' 全科总分. `grade_mean` is the mean of
// 全科总分 over all the exam's students, there whether or not the class is.
struct ClassExamResult {
  data::ExamInfo exam;
  double grade_mean = 0;
  bool found = false;
  std::int64_t students = 0;
  std::vector<std::string> subjects;                 // that exam's, in its order
  std::vector<std::optional<double>> subject_means;  // nothing when nobody sat it
  double total_mean = 0;
  std::int32_t rank = 0;  // among the exam's classes by total_mean (1, 2, 2, 4)
  std::int64_t class_count = 0;
};

// One entry per exam of the library in date order.
std::vector<ClassExamResult> ClassHistory(const data::AppState& state, const std::string& school,
                                          const std::string& class_name,
                                          common::ProgressSink& progress);

}  // namespace stats
