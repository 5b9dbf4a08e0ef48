// Conversions between the core's values and Qt's: texts, fonts (through the
// renderer's one font map), colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string_view>

#include "grid/style.h"

namespace app {

// The first installed face of render::FamiliesFor(name), else the name
// itself: for a font dialog, which shows one family.
QString InstalledFamily(const std::string& grid_font_name);
// A QFont in pixels at 96 dpi, so that widths and heights agree with the
// grid's pixel units on any screen.
QFont QtFontOf(const std::string& name, double points, bool bold, bool italic, bool underline);
QFont QtFontOf(const grid::Font& font);

inline QColor QtColorOf(grid::Color c) {
  return QColor::fromRgb(c);
}
inline grid::Color GridColorOf(const QColor& c) {
  return static_cast<grid::Color>(c.rgb() & 0xFFFFFFu);
}

inline QString Qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string Std(const QString& text) {
  return text.toStdString();
}

}  // namespace app
