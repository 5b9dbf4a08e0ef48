#include "data/exam_generator.h"

#include <gtest/gtest.h>

#include <set>

#include "../scratch_dir.h"
#include "data/xlsx_reader.h"
#include "data/xlsx_writer.h"
#include "same_sheets.h"

namespace data {
namespace {

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
