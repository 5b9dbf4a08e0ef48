// The three readers on files that real programs wrote (tools/
// make_reader_fixtures.py): one calculated sheet saved by LibreOffice as
// .xls, .xlsx and .ods and by gnumeric as Excel 95 in GBK, and sheets whose
// formulas were written by scripts that do not calculate.
#include <gtest/gtest.h>

#include "data/workbook.h"
#include "same_sheets.h"

namespace data {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(SCORESTAT_SOURCE_DIR) + "/tests/fixtures/readers/" + name;
}

// The calculated sheet must come out the same whoever saved it and in
// whatever format: each format stores results, formats and merges its own
// way (FORMULA+STRING records, <v>, office:value; XF+FORMAT, styles.xml,
// value types; MERGEDCELLS, mergeCells, spans).
TEST(Producers, OneCalculatedSheetReadsTheSameFromEveryFormat) {
  const Workbook xls = ReadWorkbook(Fixture("lo_habits.xls"));
  EXPECT_TRUE(SameSheets(xls, ReadWorkbook(Fixture("lo_habits.xlsx"))));
  EXPECT_TRUE(SameSheets(xls, ReadWorkbook(Fixture("lo_habits.ods"))));
  // Excel 95 in GBK: the Chinese sheet names and texts must decode too.
  EXPECT_TRUE(SameSheets(xls, ReadWorkbook(Fixture("gnumeric_habits_biff7.xls"))));
}

TEST(Producers, FormulaResultsFormatsAndMergesOfTheCalculatedSheet) {
  const Workbook book = ReadWorkbook(Fixture("lo_habits.xls"));
  const Sheet& s = *book.Find("成绩");
  EXPECT_EQ(s.At(2, 6), (CellValue{CellKind::kNumber, 170.5, {}, kNoNote})) << "=E3+F3: 80+90.5";
  EXPECT_EQ(s.At(3, 6).number, 89.25) << "an empty 语文 counts 0 in the spreadsheet's own sum";
  EXPECT_EQ(s.At(2, 9).number, 160) << "=IF(E3=\"\",\"\",E3*2)";
  EXPECT_EQ(s.At(3, 9), CellValue{}) << "the same formula's result \"\" is an empty cell, "
                                        "not a formula without a result";
  EXPECT_EQ(s.TextAt(2, 10), "第2024001") << "a string result, from the STRING record";
  EXPECT_EQ(s.At(2, 11).number, 1) << "=E3>=60 is TRUE";
  EXPECT_EQ(s.At(5, 11).number, 0) << "=E6>=60 with -3 is FALSE";
  EXPECT_EQ(s.At(2, 12), (CellValue{CellKind::kText, 0, "#DIV/0!", kErrorValue}));
  EXPECT_EQ(s.At(2, 7).notes, kPercentFormat) << "the custom code 0.0%";
  EXPECT_DOUBLE_EQ(s.At(2, 7).number, 0.85) << "the stored fraction, not 85";
  EXPECT_EQ(s.At(2, 8), (CellValue{CellKind::kNumber, 45356, {}, kDateFormat}))
      << "2024-03-05 under yyyy\"年\"m\"月\"d\"日\"";
  EXPECT_EQ(s.At(2, 4).notes, kNoNote) << "a plain score has no note";
  EXPECT_EQ(SortedMerges(s), (std::vector<CellRange>{{0, 0, 0, 5}, {2, 4, 0, 0}, {5, 6, 0, 0}}));
  EXPECT_EQ(s.TextAt(3, 0), "") << "a merged area's value is only in its first cell";
}

// 3,000 texts overflow one SST record many times over; the split falls
// inside texts of one-byte and of two-byte characters, where each CONTINUE
// record restarts the characters with a flags byte of its own.
TEST(Producers, EverySharedStringSurvivesItsContinueRecords) {
  for (const char* file : {"lo_habits.xls", "gnumeric_habits_biff7.xls"}) {
    SCOPED_TRACE(file);
    const Workbook book = ReadWorkbook(Fixture(file));
    const Sheet& s = *book.Find("文本");
    ASSERT_EQ(s.rows(), 3000u);
    for (std::size_t i = 0; i < s.rows(); ++i) {
      char expected[64];
      std::snprintf(expected, sizeof expected, i % 3 == 0 ? "name%05zu-abcdefghij" : "学生%05zu号",
                    i);
      ASSERT_EQ(s.TextAt(i, 0), expected) << "row " << i + 1;
      ASSERT_EQ(s.At(i, 1).number, static_cast<double>(i));
    }
  }
}

// Scripts write formulas and leave the calculation to a spreadsheet
// program; a reader that took such a cell for empty would import a blank
// score. The values beside them are real.
TEST(Producers, FormulasThatScriptsWroteWithoutResultsAreMarked) {
  const Workbook openpyxl = ReadWorkbook(Fixture("openpyxl_habits.xlsx"));
  const Sheet& s = *openpyxl.Find("成绩");
  for (std::size_t r = 2; r < 7; ++r) {
    for (std::size_t c : {6u, 9u, 10u, 11u, 12u}) {
      EXPECT_EQ(s.At(r, c), (CellValue{CellKind::kEmpty, 0, {}, kNoResult}))
          << ColumnLetters(c) << r + 1;
    }
  }
  EXPECT_EQ(s.At(2, 4).number, 80);

  // xlwt stores every formula's result as "" and writes no RECALCID, so no
  // result can be believed.
  const Workbook xlwt = ReadWorkbook(Fixture("xlwt_formulas.xls"));
  const Sheet& x = *xlwt.Find("Sheet1");
  EXPECT_EQ(x.At(1, 3).notes, kNoResult);
  EXPECT_EQ(x.At(2, 1).number, 1) << "a boolean TRUE (BOOLERR) is 1";
  EXPECT_EQ(x.merges(), (std::vector<CellRange>{{3, 4, 0, 1}}));
}

}  // namespace
}  // namespace data
