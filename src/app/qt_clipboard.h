// The grid's cut, copy and paste through the system clipboard, and AutoFit
// measured with the fonts the view paints with.
#pragma once

#include "grid/clipboard.h"
#include "grid/text_measurer.h"

namespace app {

class QtClipboard : public grid::Clipboard {
 public:
  std::string Text() const override;
  void SetText(const std::string& text) override;
};

class QtTextMeasurer : public grid::TextMeasurer {
 public:
  int TextWidth(std::string_view text, const grid::Font& font) const override;
};

}  // namespace app
