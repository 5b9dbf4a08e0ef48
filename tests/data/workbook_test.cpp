#include "data/workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace data {
namespace {

TEST(WorkbookCells, NumbersKeepEveryValueThatTheTagsCouldShadow) {
  Workbook book;
  Sheet& sheet = book.AddSheet("s");
  const double values[] = {0.0,
                           -0.0,
                           -1.5,
                           1e308,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::denorm_min()};
  for (std::size_t i = 0; i < std::size(values); ++i) sheet.SetNumber(0, i, values[i]);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    ASSERT_EQ(sheet.KindAt(0, i), CellKind::kNumber) << i;
    EXPECT_EQ(*sheet.NumberAt(0, i), values[i]) << i;
  }
  // Any NaN, whatever its payload, stays a number and does not turn into a
  // text or an empty cell.
  for (std::uint64_t bits :
       {0xFFF1'0000'0000'0003ULL, 0xFFF2'0000'0000'0000ULL, 0x7FF8'0000'0000'0000ULL}) {
    sheet.SetNumber(1, 0, std::bit_cast<double>(bits));
    EXPECT_EQ(sheet.KindAt(1, 0), CellKind::kNumber);
    EXPECT_TRUE(std::isnan(*sheet.NumberAt(1, 0)));
  }
}

TEST(WorkbookHelpers, ColumnLettersAndDateSerials) {
  EXPECT_EQ(ColumnLetters(0), "A");
  EXPECT_EQ(ColumnLetters(25), "Z");
  EXPECT_EQ(ColumnLetters(26), "AA");
  EXPECT_EQ(ColumnLetters(16383), "XFD");

  EXPECT_EQ(SerialFromDateText("1900-03-01", false), 61);
  EXPECT_EQ(SerialFromDateText("2024-03-05", false), 45356);
  EXPECT_EQ(SerialFromDateText("2024-03-05 12:00:00", false), 45356.5);
  EXPECT_EQ(SerialFromDateText("2024-03-05T18:00:00", false), 45356.75);
  EXPECT_EQ(SerialFromDateText("1904-01-02", true), 1);
  EXPECT_EQ(SerialFromDateText("06:00:00", false), 0.25);
  for (const char* bad : {"", "2024-13-01", "2024-03-05x", "85分", "12:61:00", "2024-3-5"}) {
    EXPECT_FALSE(SerialFromDateText(bad, false)) << bad;
  }
}

}  // namespace
}  // namespace data
