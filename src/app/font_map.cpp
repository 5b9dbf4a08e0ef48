#include "app/font_map.h"

#include <QFontDatabase>
#include <QHash>
#include <cmath>

#ifdef SCORESTAT_HAVE_RENDER
#include "render/font_map.h"
#endif

namespace app {
namespace {

QStringList CandidatesFor(const QString& name) {
  if (name == QStringLiteral("宋体") || name == QStringLiteral("新宋体") ||
      name.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0) {
    return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
            QStringLiteral("WenQuanYi Micro Hei")};
  }
  if (name == QStringLiteral("黑体") || name == QStringLiteral("微软雅黑")) {
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
  }
  if (name.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0) {
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
  }
  if (name.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0) {
    return {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
  }
  return {};
}

}  // namespace

QString MapFontFamily(const QString& name) {
  static QHash<QString, QString> cache;
  auto it = cache.constFind(name);
  if (it != cache.constEnd()) return *it;
  QString family = name;
  const QStringList installed = QFontDatabase::families();
  for (const QString& candidate : CandidatesFor(name)) {
    if (installed.contains(candidate)) {
      family = candidate;
      break;
    }
  }
  cache.insert(name, family);
  return family;
}

QFont QtFontOf(const std::string& name, double points, bool bold, bool italic, bool underline) {
  QFont font(MapFontFamily(Qs(name)));
#ifdef SCORESTAT_HAVE_RENDER
  // One mapping for screen and paper.
  font.setFamilies(render::FamiliesFor(name));
#endif
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
