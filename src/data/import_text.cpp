#include "data/import_text.h"

#include "common/text_number.h"

namespace data {

namespace {

// The length of the blank that starts `s`, 0 when it does not start with one.
std::size_t BlankAtStart(std::string_view s) {
  if (s.empty()) return 0;
  const char c = s[0];
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') return 1;
  if (s.starts_with("\xE3\x80\x80") || s.starts_with("\xC2\xA0")) return s[0] == '\xE3' ? 3 : 2;
  return 0;
}

std::size_t BlankAtEnd(std::string_view s) {
  if (s.empty()) return 0;
  const char c = s.back();
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') return 1;
  if (s.ends_with("\xE3\x80\x80")) return 3;
  if (s.ends_with("\xC2\xA0")) return 2;
  return 0;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (std::size_t n = BlankAtStart(text)) text.remove_prefix(n);
  while (std::size_t n = BlankAtEnd(text)) text.remove_suffix(n);
  return text;
}

std::string HalfWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    // U+FF0B..U+FF19 are EF BC 8B..99: ＋ ， － ． ／ ０..９.
    if (i + 2 < text.size() && text[i] == '\xEF' && text[i + 1] == '\xBC') {
      const auto low = static_cast<unsigned char>(text[i + 2]);
      if (low >= 0x8B && low <= 0x99 && low != 0x8C && low != 0x8F) {
        out += static_cast<char>(low - 0x8B + '+');
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::optional<double> NumberInText(std::string_view text) {
  return common::ParseWholeNumber(HalfWidth(TrimBlanks(text)));
}

}  // namespace data
