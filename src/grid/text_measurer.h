// Widths of texts for AutoFit. The desktop supplies one backed by its fonts;
// the core uses an estimate so that command-line exports fit as well.
#pragma once

#include <string_view>

#include "grid/style.h"

namespace grid {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Width in pixels at 96 dpi of the widest line of `text` in `font`.
  virtual int TextWidth(std::string_view text, const Font& font) const = 0;
};

// Half an em per character, a full em for CJK and other wide characters.
class EstimatingMeasurer : public TextMeasurer {
 public:
  int TextWidth(std::string_view text, const Font& font) const override;
};

// Display columns of a UTF-8 text: 2 for each wide character, else 1.
int DisplayColumns(std::string_view text);

}  // namespace grid
