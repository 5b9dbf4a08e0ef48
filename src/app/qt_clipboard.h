// The grid's cut, copy and paste through the system clipboard, and AutoFit
// measured with the fonts the view paints with.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "grid/clipboard.h"
#include "grid/text_measurer.h"

namespace app {

class QtClipboard : public grid::Clipboard {
 public:
  std::string Text() const override;
  void SetText(const std::string& text) override;
};

// Widths as QFontMetrics gives them. Fitting a report measures every
// distinct text of it, so each font's metrics are made once, and a text of
// digits alone is its length times the digit width in fonts whose digits
// are all equally wide and never kerned (checked on every pair). For the
// GUI thread only, like the fonts.
class QtTextMeasurer : public grid::TextMeasurer {
 public:
  QtTextMeasurer();
  ~QtTextMeasurer() override;
  int TextWidth(std::string_view text, const grid::Font& font) const override;

 private:
  struct Face;
  const Face& FaceFor(const grid::Font& font) const;
  mutable std::vector<std::pair<grid::Font, std::unique_ptr<Face>>> faces_;
};

}  // namespace app
