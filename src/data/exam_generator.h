// A synthetic examination in the import's workbook layout, for benchmarks,
// tests and demonstrations. The same options always give the same workbook.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/workbook.h"

namespace data {

struct ExamSubject {
  std::string_view name;
  int full_mark;
  bool main;
  int weight_pct;
};

// 语文 数学 英语 out of 150 and main; the six others out of 100, 地理 weighted 50.
inline constexpr ExamSubject kExamSubjects[] = {
    {"语文", 150, true, 100},  {"数学", 150, true, 100},  {"英语", 150, true, 100},
    {"物理", 100, false, 100}, {"化学", 100, false, 100}, {"生物", 100, false, 100},
    {"政治", 100, false, 100}, {"历史", 100, false, 100}, {"地理", 100, false, 50},
};

struct ExamOptions {
  std::uint64_t seed = 2024;
  int schools = 3;              // 第一中学, 第二中学, 实验中学, then 第四中学, ...
  int classes_per_school = 10;  // 高一(1)班 ...
  std::size_t students = 1500;  // spread evenly over all classes
  // Share of students who miss one subject (an empty cell); one in five of
  // them misses the whole examination.
  double absent_rate = 0.01;
  // Gives one student a name with a single quote, which SQL built from texts
  // must survive.
  bool quote_in_name = true;
};

// Sheets "Sheet1" (scores), "Sheet2" (teachers) and "Sheet3" (subject lines).
// Scores are whole numbers, so ties occur.
Workbook GenerateExam(const ExamOptions& options = {});

}  // namespace data
