#include "grid/display_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/text_number.h"

namespace grid {

namespace {

// The digits of |value| as the user reads it (15 significant digits, the
// program's text of a value) rounded to `decimals` places, halves away from
// zero as spreadsheet programs round: 106.25 to one place is 106.3, and
// 2.675 (in binary 2.67499999...) to two places is 2.68.
std::string RoundedDigits(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  // buf is "d.dddddddddddddde+XX": 15 significant digits and an exponent.
  std::string digits;
  digits += buf[0];
  digits.append(buf + 2, 14);
  const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  // Digits before the point: exponent + 1 (negative when the value < 0.1).
  int point = exponent + 1;
  const int keep = point + decimals;
  if (keep < 0) return decimals > 0 ? "0." + std::string(decimals, '0') : "0";
  if (keep < static_cast<int>(digits.size())) {
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    for (int i = keep - 1; up && i >= -1; --i) {
      if (i < 0) {
        digits.insert(digits.begin(), '1');
        ++point;
        break;
      }
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
    }
  }
  // Lay the digits out around the point.
  std::string whole, fraction;
  for (int i = 0; i < point; ++i) whole += i < static_cast<int>(digits.size()) ? digits[i] : '0';
  if (whole.empty()) whole = "0";
  for (int i = point; i < point + decimals; ++i)
    fraction += i >= 0 && i < static_cast<int>(digits.size()) ? digits[i] : '0';
  return decimals > 0 ? whole + "." + fraction : whole;
}

}  // namespace

bool IsNumberText(std::string_view text) {
  return common::ParseWholeNumber(text).has_value();
}

std::string FormatNumber(double value, std::string_view pattern) {
  auto point = pattern.find('.');
  int decimals = 0;
  if (point != std::string_view::npos) {
    for (std::size_t i = point + 1; i < pattern.size() && (pattern[i] == '0' || pattern[i] == '#');
         ++i)
      ++decimals;
  }
  std::string_view integer_part = pattern.substr(0, point);
  bool group = integer_part.find(',') != std::string_view::npos;

  std::string digits = RoundedDigits(value, decimals);
  bool negative = value < 0 && digits.find_first_not_of("0.") != std::string::npos;
  if (group) {
    auto end = digits.find('.');
    if (end == std::string::npos) end = digits.size();
    for (auto i = static_cast<long>(end) - 3; i > 0; i -= 3)
      digits.insert(static_cast<std::size_t>(i), ",");
  }
  return negative ? "-" + digits : digits;
}

std::string FormatDisplayText(std::string_view text, std::string_view format) {
  if (format.empty()) return std::string(text);
  auto value = common::ParseWholeNumber(text);
  if (!value) return std::string(text);
  if (format == kGeneralNumber) return common::TextOfDouble(*value);
  if (format.find_first_of("0#") == std::string_view::npos) return std::string(text);
  return FormatNumber(*value, format);
}

}  // namespace grid
