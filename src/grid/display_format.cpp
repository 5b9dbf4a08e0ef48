#include "grid/display_format.h"

#include <cmath>
#include <cstdio>

#include "common/text_number.h"

namespace grid {

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

  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
  std::string digits(buf);
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
