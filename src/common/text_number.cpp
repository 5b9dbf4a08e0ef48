#include "common/text_number.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace common {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the longest prefix of `s` that is a decimal number; 0 when none.
size_t NumberPrefixLength(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    size_t j = i + 1, frac = 0;
    while (j < s.size() && IsDigit(s[j])) ++j, ++frac;
    if (digits + frac > 0) {
      i = j;
      digits += frac;
    }
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t exp_digits = 0;
    while (j < s.size() && IsDigit(s[j])) ++j, ++exp_digits;
    if (exp_digits > 0) i = j;
  }
  return i;
}

double ToDouble(std::string_view number) {
  std::string copy(number);
  return std::strtod(copy.c_str(), nullptr);
}

// printf's %g writes "1e+20"; the program has always shown "1E+20".
std::string UpperExponent(std::string text) {
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return UpperExponent(buffer);
}

}  // namespace

double NumericValue(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::string_view rest = text.substr(start);
  size_t n = NumberPrefixLength(rest);
  return n == 0 ? 0.0 : ToDouble(rest.substr(0, n));
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  std::string_view body = text.substr(start, end - start);
  if (body.empty() || NumberPrefixLength(body) != body.size()) return std::nullopt;
  return ToDouble(body);
}

std::string TextOfDouble(double value) {
  if (value == 0) return "0";  // also folds -0
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
  return Format("%.15g", value);
}

std::string TextOfSingle(float value) {
  if (value == 0) return "0";
  if (!std::isfinite(value)) return TextOfDouble(value);
  return Format("%.7g", static_cast<double>(value));
}

std::string TextOfInteger(long long value) {
  return std::to_string(value);
}

}  // namespace common
