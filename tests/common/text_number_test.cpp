#include "common/text_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

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

// Numbers are read as strtod reads them, to the last bit, also where the
// quick reading gives up: a leading '+' and values beyond a double.
TEST(ParseWholeNumberTest, ReadsAsStrtodDoes) {
  std::vector<std::string> texts = {"+5",
                                    "1e999",
                                    "-1e999",
                                    "1e-999",
                                    "2.4e-324",
                                    "4.9e-324",
                                    "0.30000000000000004",
                                    "66.66666666666667",
                                    "123456789012345678901234567890.5",
                                    "9007199254740993",
                                    "5.",
                                    ".5",
                                    "-0"};
  std::mt19937_64 random(20261206);
  for (int i = 0; i < 2000; ++i) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", 1 + static_cast<int>(random() % 20),
                  std::ldexp(static_cast<double>(random() % 100000000), -(i % 40)));
    texts.push_back(buffer);
  }
  for (const std::string& text : texts) {
    const std::optional<double> read = ParseWholeNumber(text);
    ASSERT_TRUE(read) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&*read, &expected, sizeof expected), 0) << text;
    EXPECT_EQ(NumericValue(text + "分"), expected) << text;
  }
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

// The texts are printf's %.15g and %.7g with a capital E, which every
// stored report was written with: compared with printf itself over the
// boundaries of the fixed and exponent forms, halves that round, and random
// values of every magnitude.
TEST(TextOfValueTest, AgreesWithPrintfEverywhere) {
  auto printf_text = [](const char* format, double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    std::string text = buffer;
    for (char& c : text)
      if (c == 'e') c = 'E';
    return text;
  };
  std::vector<double> values = {
      1e15 - 1,  1e15,   1e15 + 2, 1e7 - 1, 1e7,    1e7 + 1,   0.0001,
      0.00001,   2.5,    0.125,    1e300,   5e-324, -123456.5, 9007199254740993.0,
      0.1 + 0.2, 1.0 / 3};
  std::mt19937_64 random(20240601);
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(std::ldexp(static_cast<double>(random() % 2000000) / 8, -(i % 8)));
  }
  for (double v : values) {
    if (v == 0) continue;
    ASSERT_EQ(TextOfDouble(v), printf_text("%.15g", v)) << v;
    const float f = static_cast<float>(v);
    if (std::isfinite(f) && f != 0) {
      ASSERT_EQ(TextOfSingle(f), printf_text("%.7g", static_cast<double>(f))) << v;
    }
  }
}

// A remembered text must be the very text of the number asked for: numbers
// that share a slot (two slots here), the same number as a single and as a
// double, neighbours one bit apart, 0 and -0, NaN.
TEST(NumberTextsTest, GivesWhatTheConversionsGive) {
  const double one_bit_up = std::nextafter(66.66666666666667, 100.0);
  const std::vector<double> values = {
      87.5, 200.0 / 3, 66.66666666666667, one_bit_up, 0.0,  -0.0, 1e20, 0.1f, 0.1,
      NAN,  87.5,      200.0 / 3,         one_bit_up, -0.0, 1e-5};
  for (int slot_bits : {1, 10}) {
    NumberTexts texts(slot_bits);
    for (int round = 0; round < 2; ++round) {
      for (double v : values) {
        EXPECT_EQ(texts.Text(v, false), TextOfDouble(v)) << v << " slots " << slot_bits;
        EXPECT_EQ(texts.Text(v, true), TextOfSingle(static_cast<float>(v))) << v;
      }
    }
  }
}

// A remembered value must be the very reading of the text asked for: texts
// that share a slot (two slots here), texts differing in one byte or only in
// length (a trailing NUL), the longest remembered and the first read anew,
// texts that are not numbers.
TEST(TextNumbersTest, GivesWhatNumericValueGives) {
  const std::vector<std::string> texts = {"87.5",
                                          "87.6",
                                          "8",
                                          "80",
                                          "",
                                          " 9",
                                          "85分",
                                          "缺考",
                                          "-0",
                                          "1e5",
                                          "1234567",
                                          "12345678",
                                          "0.1",
                                          std::string("7\0", 2),
                                          "66.66666666666667"};
  for (int slot_bits : {1, 10}) {
    TextNumbers numbers(slot_bits);
    for (int round = 0; round < 2; ++round) {
      for (const std::string& text : texts) {
        const double got = numbers.Value(text), want = NumericValue(text);
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << text << " slots " << slot_bits;
      }
    }
  }
}

}  // namespace
}  // namespace common
