#include "data/exam_generator.h"

#include <gtest/gtest.h>

#include <set>

#include "../scratch_dir.h"
#include "data/xlsx_reader.h"
#include "data/xlsx_writer.h"
#include "same_sheets.h"

namespace data {
namespace {

TEST(ExamGenerator, SeededLayoutWithAbsencesTiesAndAQuote) {
  ExamOptions options;
  options.students = 2000;
  options.absent_rate = 0.05;
  Workbook book = GenerateExam(options);
  const Sheet& scores = *book.Find("Sheet1");
  ASSERT_EQ(scores.rows(), 2001u);
  ASSERT_EQ(scores.cols(), 13u);
  EXPECT_EQ(scores.TextAt(0, 1), "学号");
  EXPECT_EQ(scores.TextAt(0, 12), "地理");

  std::set<std::string_view> classes, schools;
  std::set<double> totals;
  std::size_t empty = 0, quoted = 0, tied = 0;
  for (std::size_t r = 1; r < scores.rows(); ++r) {
    schools.insert(scores.TextAt(r, 0));
    classes.insert(scores.TextAt(r, 2));
    quoted += scores.TextAt(r, 3).find('\'') != std::string_view::npos;
    double total = 0;
    for (std::size_t c = 4; c < 13; ++c) {
      std::optional<double> v = scores.NumberAt(r, c);
      empty += !v;
      total += v.value_or(0);
      if (v) {
        EXPECT_LE(*v, kExamSubjects[c - 4].full_mark);
      }
    }
    tied += !totals.insert(total).second;
  }
  EXPECT_EQ(schools, (std::set<std::string_view>{"第一中学", "第二中学", "实验中学"}));
  EXPECT_EQ(classes.size(), 10u);
  EXPECT_EQ(quoted, 1u);
  EXPECT_GT(empty, 0u);
  EXPECT_GT(tied, 0u);
  EXPECT_EQ(book.Find("Sheet2")->rows(), 31u);
  EXPECT_EQ(*book.Find("Sheet3")->NumberAt(6, 9), 50);

  Workbook again = GenerateExam(options);
  EXPECT_EQ(again.Find("Sheet1")->TextAt(500, 3), scores.TextAt(500, 3));
  EXPECT_EQ(again.Find("Sheet1")->NumberAt(500, 5), scores.NumberAt(500, 5));
  options.seed += 1;
  Workbook other = GenerateExam(options);
  bool differs = false;
  for (std::size_t r = 1; r < 50; ++r)
    differs |= !(other.Find("Sheet1")->At(r, 4) == scores.At(r, 4));
  EXPECT_TRUE(differs);
}

// The writer streams rows with inline strings: the reader's other path.
TEST(ExamGenerator, WrittenWorkbookReadsBackCellForCell) {
  ExamOptions options;
  options.schools = 12;  // 第十二中学
  options.students = 3000;
  Workbook book = GenerateExam(options);
  const test_support::ScratchDir scratch("scorestat_generator");
  const std::string path = scratch.File("exam.xlsx");
  WriteWorkbookXlsx(path, book);
  Workbook back = ReadXlsx(path);
  EXPECT_TRUE(SameSheets(book, back));
  EXPECT_EQ(back.Find("Sheet1")->TextAt(3000, 0), "第十二中学");
}

}  // namespace
}  // namespace data
