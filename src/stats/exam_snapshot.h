// The current exam's statistics table (统计表) in memory, as columns: read
// once by a report, then every figure is computed from it in a pass or two.
// Per subject a column of scores (kAbsent for an empty score), the two
// weighted totals and their ranks as the import stored them, and each
// student's class; 学号 and 姓名 as cell texts.
//
// Memory: about 8 bytes per student and subject plus 40 bytes and the two
// texts per student — some 130 MB for a million students and nine subjects.
// A snapshot owns its data and does not refer to the database once read.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "engine/database.h"
#include "stats/kernels.h"

namespace stats {

// A value of 学校 or 班级, ordered as the statistics reports list their
// groups (the database's GROUP BY order): empty first, then numbers by
// value, then texts byte by byte.
struct KeyValue {
  enum class Kind { kNull, kNumber, kText };
  Kind kind = Kind::kNull;
  double number = 0;
  std::string text;  // as a cell shows it: a number in its shortest form

  std::strong_ordering operator<=>(const KeyValue& other) const;
  bool operator==(const KeyValue& other) const { return (*this <=> other) == 0; }
};

struct ExamSubject {
  std::string name;
  int full_mark = 0;
  GradeLines lines;  // the import's lines: FullMark × Pct / 100
  bool main = false;
};

// A class: one (学校, 班级) pair of the table.
struct ExamClass {
  int school = 0;  // index into Schools()
  KeyValue key;    // 班级
};

class ExamSnapshot {
 public:
  ExamSnapshot() = default;  // an exam without students or subjects

  // Reads 统计表 for the subjects of `lines` (三线表's order), in the table's
  // own row order. Throws engine::Error when the table or one of its columns
  // is missing (no exam imported yet).
  static ExamSnapshot Read(engine::Database& db, const data::SubjectLines& lines,
                           common::ProgressSink& progress);
  // The subjects of `lines` without any student: what a report shows when
  // 统计表 cannot be read.
  static ExamSnapshot WithoutStudents(const data::SubjectLines& lines);

  std::size_t StudentCount() const { return class_of_.size(); }
  const std::vector<ExamSubject>& Subjects() const { return subjects_; }
  // The index of a subject by name; -1 when there is none.
  int SubjectIndex(std::string_view name) const;

  std::span<const double> Scores(int subject) const;
  std::span<const double> AllTotals() const { return all_total_; }    // 全科总分
  std::span<const double> MainTotals() const { return main_total_; }  // 主科总分
  std::span<const std::int32_t> AllRanks() const { return all_rank_; }
  std::span<const std::int32_t> MainRanks() const { return main_rank_; }

  // Schools and classes in report order (学校, then 班级); ClassOf gives
  // each student's index into Classes().
  const std::vector<KeyValue>& Schools() const { return schools_; }
  const std::vector<ExamClass>& Classes() const { return classes_; }
  std::span<const std::uint32_t> ClassOf() const { return class_of_; }
  const KeyValue& SchoolOf(std::size_t student) const;

  std::string_view StudentNumber(std::size_t student) const;  // 学号
  std::string_view Name(std::size_t student) const;           // 姓名

 private:
  class Reader;

  std::vector<ExamSubject> subjects_;
  std::vector<std::vector<double>> scores_;
  std::vector<double> all_total_, main_total_;
  std::vector<std::int32_t> all_rank_, main_rank_;
  std::vector<KeyValue> schools_;
  std::vector<ExamClass> classes_;
  std::vector<std::uint32_t> class_of_;
  // 学号 and 姓名 of student i are texts_[ends_[2i] .. ends_[2i+1]) and
  // [ends_[2i+1] .. ends_[2i+2]).
  std::string texts_;
  std::vector<std::size_t> ends_{0};
};

// The teacher of `subject` in each class of `exam` (教师表), empty where
// 教师表 has no row or no name for it. A class matches a row whose 学校 and
// 班级 read the same as cell texts. Throws engine::Error when 教师表 or the
// subject's column is missing.
std::vector<std::string> ReadClassTeachers(engine::Database& db, const ExamSnapshot& exam,
                                           const std::string& subject);

}  // namespace stats
