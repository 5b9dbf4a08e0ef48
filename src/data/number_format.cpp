#include "data/number_format.h"

namespace data {

NumberFormatKind BuiltInFormatKind(std::uint32_t id) {
  if (id == 9 || id == 10) return NumberFormatKind::kPercent;
  if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
      (id >= 50 && id <= 58))
    return NumberFormatKind::kDate;
  return NumberFormatKind::kPlain;
}

namespace {

// An elapsed-time bracket: [h], [hh], [mm], [ss].
bool IsElapsedTime(std::string_view inside) {
  if (inside.empty()) return false;
  const char first = static_cast<char>(inside[0] | 0x20);
  if (first != 'h' && first != 'm' && first != 's') return false;
  for (char c : inside)
    if ((c | 0x20) != first) return false;
  return true;
}

}  // namespace

NumberFormatKind FormatCodeKind(std::string_view code) {
  bool percent = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == ';') break;
    if (c == '"') {
      const std::size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) break;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is shown (or spaced, or repeated) as it is
    } else if (c == '[') {
      const std::size_t close = code.find(']', i + 1);
      if (close == std::string_view::npos) break;
      if (IsElapsedTime(code.substr(i + 1, close - i - 1))) return NumberFormatKind::kDate;
      i = close;
    } else if (c == '%') {
      percent = true;
    } else {
      switch (c | 0x20) {
        case 'y':
        case 'm':
        case 'd':
        case 'h':
        case 's':
          return NumberFormatKind::kDate;
        default:
          break;
      }
      // 上午/下午 is the Chinese AM/PM marker, and a time.
      if (code.substr(i).starts_with("上午/下午") || code.substr(i).starts_with("AM/PM"))
        return NumberFormatKind::kDate;
    }
  }
  return percent ? NumberFormatKind::kPercent : NumberFormatKind::kPlain;
}

}  // namespace data
