#include "common/text_number.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(NumericValueTest, TakesTheLongestLeadingNumber) {
  EXPECT_EQ(NumericValue("85分"), 85);
  EXPECT_EQ(NumericValue(""), 0);
  EXPECT_EQ(NumericValue("abc"), 0);
  EXPECT_EQ(NumericValue("  -3.5e2x"), -350);
  EXPECT_EQ(NumericValue("12.5.3"), 12.5);
  EXPECT_EQ(NumericValue(".5"), 0.5);
  EXPECT_EQ(NumericValue("7e"), 7);
  EXPECT_EQ(NumericValue("-"), 0);
}

TEST(ParseWholeNumberTest, AcceptsOnlyWholeNumbers) {
  EXPECT_EQ(ParseWholeNumber(" 8.5 "), 8.5);
  EXPECT_EQ(ParseWholeNumber("-0"), 0);
  EXPECT_FALSE(ParseWholeNumber("85分"));
  EXPECT_FALSE(ParseWholeNumber(""));
  EXPECT_FALSE(ParseWholeNumber("."));
  EXPECT_FALSE(ParseWholeNumber("1 2"));
}

TEST(TextOfValueTest, ShortestFormsLikeTheReportsShowThem) {
  EXPECT_EQ(TextOfDouble(87), "87");
  EXPECT_EQ(TextOfDouble(87.5), "87.5");
  EXPECT_EQ(TextOfDouble(200.0 / 3), "66.6666666666667");
  EXPECT_EQ(TextOfDouble(1e20), "1E+20");
  EXPECT_EQ(TextOfDouble(-0.0), "0");
  EXPECT_EQ(TextOfSingle(200.0f / 3), "66.66666");
  EXPECT_EQ(TextOfSingle(127.5f), "127.5");
  EXPECT_EQ(TextOfInteger(-42), "-42");
}

}  // namespace
}  // namespace common
