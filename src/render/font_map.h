// The one place where the Windows font names kept in grids (宋体, Arial,
// Tahoma) become faces installed with the program. The desktop view, the
// preview, the printer and the PDF writer all go through it, so a report
// looks the same everywhere.
#pragma once

#include <QFont>
#include <QStringList>
#include <string_view>

#include "grid/style.h"

namespace render {

// Families in order of preference for a grid font name; a CJK face always
// comes last so that Chinese text in an Arial cell still shows.
QStringList FamiliesFor(std::string_view grid_font_name);

// The interface face: a CJK sans.
QStringList UiFamilies();
QFont UiFont(double point_size = 9);

// `font` with its families mapped, at `point_size` points (the caller has
// applied any zoom), bold, italic, underline and strikethrough as given.
QFont ToQFont(const grid::Font& font, double point_size);

}  // namespace render
