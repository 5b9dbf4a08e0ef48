// Repairs the text layer of PDFs written by Qt.
//
// Qt's PDF writer builds each font's ToUnicode map by asking, for every
// code point from 0 up, which glyph it uses, and keeps the first code point
// per glyph (QFontSubset::getReverseMap). CJK fonts give a Kangxi radical
// (U+2F00..) or a supplement radical (U+2E80..) the glyph of the ideograph it
// looks like, so "一" is extracted as "⼀" and "页" as "⻚"; the space glyph
// comes out as a tab. The code points are patched in place, same length, so
// the file's offsets stay valid.
#pragma once

#include <QByteArray>

namespace render {

// The unified ideograph a radical stands for, `c` itself for anything else.
char32_t IdeographForRadical(char32_t c);

// Rewrites the code points of every ToUnicode map in `pdf`.
void RepairPdfTextMap(QByteArray& pdf);

}  // namespace render
