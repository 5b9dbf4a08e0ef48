// A font that Qt's PDF writer embedded (a CID-keyed TrueType font with
// Identity-H, its glyph ids those of the text in the content streams), cut
// down to the glyphs some pages use: the outlines of the others emptied,
// their widths and text mapping dropped. The glyph ids stay, so the pages'
// content streams are copied untouched. Only fonts made of simple glyphs are
// cut, as Qt makes them; anything else is kept whole, which is still correct.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace render {

// Glyph ids in ascending order, without repeats, 0 (.notdef) among them.
using GlyphIds = std::vector<std::uint16_t>;

// One embedded font, read once to be cut many times. Reads untrusted bytes:
// what it cannot read throws PdfRefused.
class EmbeddedFont {
 public:
  // `font_file`: the inflated TrueType file; `widths`: the CID font's /W
  // array, or empty when it has none; `to_unicode`: the inflated CMap.
  EmbeddedFont(std::string font_file, std::string_view widths, std::string_view to_unicode);

  // The TrueType file holding only `keep`'s outlines (uncompressed).
  std::string FontFile(const GlyphIds& keep) const;
  // /W for `keep`: "[first [w ...] ...]".
  std::string Widths(const GlyphIds& keep) const;
  // A ToUnicode CMap mapping only `keep`.
  std::string ToUnicode(const GlyphIds& keep) const;

 private:
  void ReadTables();
  void ReadWidths(std::string_view widths);
  void ReadToUnicode(std::string_view cmap);

  struct Table {
    char tag[4];
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  std::string file_;
  std::vector<Table> tables_;
  std::vector<std::size_t> glyph_offsets_;  // glyph g is [g], [g + 1]) in glyf
  std::size_t glyf_ = 0, head_ = 0, hmtx_ = 0;
  int long_metrics_ = 0;
  bool cuttable_ = false;
  std::vector<std::string> widths_;    // by glyph; empty: none given
  std::vector<std::string> unicodes_;  // hex digits by glyph; empty: none
};

// A /CIDSet stream's bytes: one bit per glyph id, the first glyph in the
// high bit.
std::string CidSet(const GlyphIds& keep);

}  // namespace render
