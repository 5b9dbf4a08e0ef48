#include "grid/text_measurer.h"

#include <algorithm>
#include <cmath>

namespace grid {
namespace {

// Decodes one UTF-8 code point at `i`, advancing it; invalid bytes count as
// one narrow character each.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra > 0 && i + extra >= s.size()) {
    ++i;
    return b;
  }
  char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += 1 + extra;
  return cp;
}

bool IsWide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

}  // namespace

int DisplayColumns(std::string_view text) {
  int widest = 0, line = 0;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (cp == '\n') {
      widest = std::max(widest, line);
      line = 0;
      continue;
    }
    if (cp == '\r') continue;
    line += IsWide(cp) ? 2 : 1;
  }
  return std::max(widest, line);
}

int EstimatingMeasurer::TextWidth(std::string_view text, const Font& font) const {
  double em = font.size * 96.0 / 72.0;
  return static_cast<int>(std::ceil(DisplayColumns(text) * em / 2.0));
}

}  // namespace grid
