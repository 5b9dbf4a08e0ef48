#include "data/xls_reader.h"

#include <gtest/gtest.h>

#include "data/xlsx_reader.h"
#include "same_sheets.h"

namespace data {
namespace {

std::string SourceFile(const std::string& name) {
  return std::string(SCORESTAT_SOURCE_DIR) + "/" + name;
}

TEST(SampleWorkbooks, XlsAndXlsxHoldTheSameExamination) {
  Workbook xls = ReadXls(SourceFile("examples/sample.xls"));
  Workbook xlsx = ReadXlsx(SourceFile("examples/sample.xlsx"));
  EXPECT_TRUE(SameSheets(xls, xlsx));

  const Sheet& scores = *xls.Find("Sheet1");
  ASSERT_EQ(scores.cols(), 13u);
  EXPECT_EQ(scores.rows(), 1501u);
  EXPECT_EQ(scores.TextAt(0, 4), "语文");
  EXPECT_EQ(scores.TextAt(0, 12), "地理");
  EXPECT_EQ(scores.TextAt(8, 3), "艾力·阿卜杜'拉");
  EXPECT_EQ(*scores.NumberAt(42, 4), 118.5);
  std::size_t empty = 0;
  for (std::size_t r = 1; r < scores.rows(); ++r) {
    for (std::size_t c = 4; c < 13; ++c) empty += scores.KindAt(r, c) == CellKind::kEmpty;
  }
  EXPECT_EQ(empty, 5u + 2 * 9);

  const Sheet& lines = *xls.Find("Sheet3");
  EXPECT_EQ(lines.rows(), 7u);
  EXPECT_EQ(*lines.NumberAt(1, 1), 150);
  EXPECT_EQ(*lines.NumberAt(6, 9), 50) << "地理 counts half";
  EXPECT_EQ(xls.Find("Sheet2")->rows(), 31u);
}

TEST(XlsReader, DatesBecomeSerialNumbersAndLongTextsSurvive) {
  Workbook book = ReadXls(SourceFile("tests/fixtures/dates.xls"));
  const Sheet& s = book.sheets().at(0);
  EXPECT_EQ(s.name(), "日期");
  EXPECT_EQ(*s.NumberAt(0, 0), 45356);
  EXPECT_EQ(*s.NumberAt(0, 1), 45356.5);
  EXPECT_EQ(*s.NumberAt(0, 2), 0.25);
  EXPECT_EQ(s.TextAt(1, 0).size(), 300u * 3);
  EXPECT_EQ(*s.NumberAt(1, 3), -0.125);
}

}  // namespace
}  // namespace data
