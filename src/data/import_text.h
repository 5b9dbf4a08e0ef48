// How the import reads the texts teachers type: stray blanks around names
// (including the full-width space of Chinese input methods and the
// no-break space of web pages) and scores typed in full-width digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace data {

// `text` without leading and trailing blanks: ASCII white space, U+3000
// (ideographic space) and U+00A0 (no-break space).
std::string_view TrimBlanks(std::string_view text);

// `text` with full-width digits, point, plus and minus (０-９ ． ＋ －)
// turned into their ASCII forms; every other character as it is.
std::string HalfWidth(std::string_view text);

// The number a score typed as text holds ("85", " ８５．５ "); nullopt when the
// text, trimmed, is not wholly a number.
std::optional<double> NumberInText(std::string_view text);

// True when the text is empty once trimmed.
inline bool IsBlankText(std::string_view text) {
  return TrimBlanks(text).empty();
}

}  // namespace data
