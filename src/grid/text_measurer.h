// Widths and heights of texts for fitting columns and rows. The desktop
// supplies one backed by its fonts; the core uses an estimate so that
// command-line exports and PDFs fit as well.
#pragma once

#include <string_view>

#include "grid/style.h"

namespace grid {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Width in pixels at 96 dpi of the widest line of `text` in `font`.
  virtual int TextWidth(std::string_view text, const Font& font) const = 0;
  // Height in pixels at 96 dpi of one line of text in `font`. The default is
  // the estimate below.
  virtual int LineHeight(const Font& font) const;
  // Whether several threads may measure at once; then a long grid's columns
  // are fitted on two.
  virtual bool SharedAcrossThreads() const { return false; }
};

// An upper bound of what the faces the program prints with take: each ASCII
// character as wide as in the face its font name prints with (宋体: Noto
// Serif CJK SC; names it cannot tell: the widest of the faces), an em for
// every other character, a tenth more for bold; a line the tallest of their
// line heights. Widths fitted with it are not too narrow for printed text.
class EstimatingMeasurer : public TextMeasurer {
 public:
  int TextWidth(std::string_view text, const Font& font) const override;
  bool SharedAcrossThreads() const override { return true; }  // it keeps nothing
};

// Display columns of a UTF-8 text: 2 for each wide character, else 1.
int DisplayColumns(std::string_view text);

// Decodes one UTF-8 code point at `i`, advancing it; invalid bytes count as
// one character each.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

// East Asian wide characters (CJK ideographs, kana, hangul, full-width forms).
bool IsWide(char32_t code_point);

}  // namespace grid
