#include "app/qt_convert.h"

#include <QFontDatabase>
#include <QHash>
#include <cmath>

#include "render/font_map.h"

namespace app {

QString InstalledFamily(const std::string& grid_font_name) {
  static QHash<QString, QString> cache;
  const QString name = Qs(grid_font_name);
  auto it = cache.constFind(name);
  if (it != cache.constEnd()) return *it;
  QString family = name;
  const QStringList installed = QFontDatabase::families();
  for (const QString& candidate : render::FamiliesFor(grid_font_name)) {
    if (installed.contains(candidate)) {
      family = candidate;
      break;
    }
  }
  cache.insert(name, family);
  return family;
}

QFont QtFontOf(const std::string& name, double points, bool bold, bool italic, bool underline) {
  QFont font;
  // One mapping for screen and paper.
  font.setFamilies(render::FamiliesFor(name));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
  font.setBold(bold);
  font.setItalic(italic);
  font.setUnderline(underline);
  return font;
}

QFont QtFontOf(const grid::Font& font) {
  QFont f = QtFontOf(font.name, font.size, font.bold, font.italic, font.underline);
  f.setStrikeOut(font.strikethrough);
  return f;
}

}  // namespace app
