// The Windows font names the reports keep in their grids, mapped to faces
// installed with the program, and the conversions between grid and Qt values.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string_view>

#include "grid/style.h"

namespace app {

// 宋体 -> a Song/Ming CJK face, Arial -> Liberation Sans, Tahoma -> DejaVu
// Sans; other names stay as they are. The first installed candidate wins.
QString MapFontFamily(const QString& name);
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
