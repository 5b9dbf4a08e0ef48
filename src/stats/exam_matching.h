// Which student of one exam is which student of another. Reports on two
// exams (进退步, 班级对比) and a student's history pair students by these
// rules only, never by guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stats/exam_snapshot.h"

namespace stats {

inline constexpr std::int64_t kUnmatched = -1;

struct StudentMatching {
  // Per student of the current exam: the index of the same student in the
  // base exam, or kUnmatched.
  std::vector<std::int64_t> base_of;
  std::size_t matched = 0;
};

// Pairs the students of `current` with those of `base`: by 学号 when both
// have one and it occurs once in each exam; the others by 学校 + 姓名 when
// that pair occurs once in each exam and its student in `base` was not
// already paired by 学号. New students, those who left or missed an exam,
// and 重名 (the same 学校 + 姓名 twice in either exam) stay unmatched.
StudentMatching MatchStudents(const ExamSnapshot& current, const ExamSnapshot& base);

}  // namespace stats
