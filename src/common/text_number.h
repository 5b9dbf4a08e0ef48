// The two conversions between texts and numbers that every module shares.
// Keep them here only: a score read from a cell and a value written into one
// must agree everywhere in the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// The longest leading part of `text` that reads as a decimal number (optional
// sign, digits, one decimal point, optional exponent), after leading blanks;
// 0 when there is none. "85分" is 85, "" is 0, "-3.5e2x" is -350.
double NumericValue(std::string_view text);

// The number `text` holds when the whole of it (leading and trailing blanks
// allowed) reads as a decimal number; nullopt otherwise. "85" and " 8.5 " are
// numbers; "85分", "" and "." are not.
std::optional<double> ParseWholeNumber(std::string_view text);

// True when ParseWholeNumber would succeed.
inline bool IsNumericText(std::string_view text) {
  return ParseWholeNumber(text).has_value();
}

// A double in its shortest form with at most 15 significant digits:
// 87, 87.5, 66.6666666666667, 1E+20, 1E-05.
std::string TextOfDouble(double value);

// A single-precision value with at most 7 significant digits: 66.66666.
std::string TextOfSingle(float value);

// An integer plainly.
std::string TextOfInteger(long long value);

// TextOfDouble or TextOfSingle of numbers that repeat (a column's scores,
// totals), each distinct number formatted once while it stays in one of
// the table's 2^slot_bits slots. The texts are this object's: a reference
// stays valid until the next call.
class NumberTexts {
 public:
  explicit NumberTexts(int slot_bits = 10);
  const std::string& Text(double value, bool single);

 private:
  struct Entry {
    std::uint64_t bits = 0;
    bool single = false;
    bool used = false;
    std::string text;
  };
  int slot_bits_;
  std::vector<Entry> entries_;
};

// NumericValue of texts that repeat (a column's scores read back for a
// total), each distinct text of up to 7 bytes read once while it stays in
// one of the table's 2^slot_bits slots; a longer text is read every time.
class TextNumbers {
 public:
  explicit TextNumbers(int slot_bits = 10);
  double Value(std::string_view text);

 private:
  struct Entry {
    std::uint64_t key = 0;  // 0: empty; else the length + 1, then the bytes
    double value = 0;
  };
  int slot_bits_;
  std::vector<Entry> entries_;
};

}  // namespace common
