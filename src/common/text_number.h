// The two conversions between texts and numbers that every module shares.
// Keep them here only: a score read from a cell and a value written into one
// must agree everywhere in the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace common
