#include "grid/text_measurer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace grid {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;
// Noto Sans CJK, the tallest face, takes 1.448 em a line.
constexpr double kLineHeightEm = 1.45;
constexpr double kBoldFactor = 1.1;

using AsciiWidths = std::array<unsigned char, 95>;

// Advance widths of the printable ASCII characters in hundredths of an em,
// measured at 1000 px, bold divided by kBoldFactor when wider. 宋体 prints
// with Noto Serif CJK SC, whose digits are proportional.
constexpr AsciiWidths kSongWidths = {
    26, 33, 41, 58, 55, 93, 78, 22,  37, 37, 48, 58, 33, 35, 33, 37,  // space .. /
    56, 48, 56, 56, 56, 56, 56, 55,  56, 57, 33, 33, 58, 58, 58, 44,  // 0 .. ?
    92, 72, 67, 70, 77, 66, 63, 75,  86, 41, 41, 74, 63, 98, 80, 77,  // @ .. O
    65, 77, 72, 57, 66, 80, 72, 106, 70, 69, 61, 35, 37, 35, 58, 57,  // P .. _
    44, 56, 64, 54, 63, 55, 39, 57,  67, 34, 32, 61, 34, 98, 67, 60,  // ` .. o
    64, 61, 47, 48, 37, 66, 55, 84,  57, 56, 50, 38, 32, 38, 58,      // p .. ~
};

// Any other font name: the widest of every face a name may map to (the CJK
// serif and sans, Liberation Sans and Serif, DejaVu Sans).
constexpr AsciiWidths kWidestWidths = {
    32,  42, 53, 84, 64, 96, 80, 30,  42, 42, 56, 84, 35, 38, 35, 40,  // space .. /
    64,  64, 64, 64, 64, 64, 64, 64,  64, 64, 37, 37, 84, 84, 84, 56,  // 0 .. ?
    102, 73, 70, 73, 78, 67, 63, 78,  86, 41, 54, 74, 63, 98, 80, 79,  // @ .. O
    67,  79, 73, 67, 66, 80, 73, 106, 73, 73, 69, 42, 40, 42, 84, 57,  // P .. _
    61,  62, 66, 55, 66, 62, 40, 66,  67, 34, 32, 61, 34, 98, 67, 63,  // ` .. o
    66,  66, 47, 55, 44, 66, 60, 84,  60, 60, 53, 65, 56, 65, 84,      // p .. ~
};

const AsciiWidths& WidthsFor(const std::string& font_name) {
  if (font_name == "宋体" || font_name == "新宋体" || font_name == "SimSun") return kSongWidths;
  return kWidestWidths;
}

}  // namespace

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra > 0 && i + static_cast<std::size_t>(extra) >= s.size()) {
    ++i;
    return b;
  }
  char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += 1 + static_cast<std::size_t>(extra);
  return cp;
}

bool IsWide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

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

int TextMeasurer::LineHeight(const Font& font) const {
  return static_cast<int>(std::ceil(font.size * kPixelsPerPoint * kLineHeightEm));
}

int EstimatingMeasurer::TextWidth(std::string_view text, const Font& font) const {
  const AsciiWidths& ascii = WidthsFor(font.name);
  double widest = 0, line = 0;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (cp == '\n') {
      widest = std::max(widest, line);
      line = 0;
    } else if (cp >= 0x20 && cp < 0x7F) {
      line += ascii[cp - 0x20] / 100.0;
    } else if (cp != '\r') {
      line += 1.0;
    }
  }
  double em = font.size * kPixelsPerPoint * (font.bold ? kBoldFactor : 1.0);
  return static_cast<int>(std::ceil(std::max(widest, line) * em));
}

}  // namespace grid
