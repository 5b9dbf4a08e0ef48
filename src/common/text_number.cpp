#include "common/text_number.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

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

// from_chars rounds as strtod does and takes a fraction of its time on the
// long digit strings of computed figures; it refuses a leading '+' and
// values beyond a double, which strtod turns into infinity or zero.
double ToDouble(std::string_view number) {
  double value = 0;
  const char* end = number.data() + number.size();
  if (const auto read = std::from_chars(number.data(), end, value);
      read.ec == std::errc() && read.ptr == end)
    return value;
  std::string copy(number);
  return std::strtod(copy.c_str(), nullptr);
}

// printf's %g writes "1e+20"; the program has always shown "1E+20".
std::string UpperExponent(std::string text) {
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

// printf's %.{digits}g of a finite, non-zero value. to_chars with a
// precision is defined as that very conversion and takes a fraction of
// printf's time; a whole number of fewer digits is its own text.
std::string Format(double value, int digits, double whole_below) {
  char buffer[64];
  if (std::fabs(value) < whole_below && value == std::trunc(value)) {
    return std::string(
        buffer, std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value)).ptr);
  }
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return UpperExponent(std::string(buffer, r.ptr));
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
  return Format(value, 15, 1e15);
}

std::string TextOfSingle(float value) {
  if (value == 0) return "0";
  if (!std::isfinite(value)) return TextOfDouble(value);
  return Format(static_cast<double>(value), 7, 1e7);
}

std::string TextOfInteger(long long value) {
  return std::to_string(value);
}

NumberTexts::NumberTexts(int slot_bits)
    : slot_bits_(slot_bits), entries_(std::size_t{1} << slot_bits) {}

const std::string& NumberTexts::Text(double value, bool single) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  Entry& entry = entries_[(bits * 0x9E3779B97F4A7C15ULL) >> (64 - slot_bits_)];
  if (!entry.used || entry.bits != bits || entry.single != single) {
    entry.bits = bits;
    entry.single = single;
    entry.used = true;
    entry.text = single ? TextOfSingle(static_cast<float>(value)) : TextOfDouble(value);
  }
  return entry.text;
}

TextNumbers::TextNumbers(int slot_bits)
    : slot_bits_(slot_bits), entries_(std::size_t{1} << slot_bits) {}

double TextNumbers::Value(std::string_view text) {
  if (text.size() > 7) return NumericValue(text);
  std::uint64_t key = text.size() + 1;
  for (std::size_t i = 0; i < text.size(); ++i)
    key |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (i + 1));
  Entry& entry = entries_[(key * 0x9E3779B97F4A7C15ULL) >> (64 - slot_bits_)];
  if (entry.key != key) {
    entry.key = key;
    entry.value = NumericValue(text);
  }
  return entry.value;
}

}  // namespace common
