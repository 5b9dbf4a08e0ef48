#include "render/font_map.h"

#include <array>

namespace render {

namespace {

const QStringList& CjkSerif() {
  static const QStringList families = {QStringLiteral("Noto Serif CJK SC"),
                                       QStringLiteral("AR PL UMing CN")};
  return families;
}

const QStringList& CjkSans() {
  static const QStringList families = {QStringLiteral("WenQuanYi Micro Hei"),
                                       QStringLiteral("Noto Sans CJK SC")};
  return families;
}

struct Alias {
  std::string_view windows_name;
  const char* family;  // nullptr: the CJK serif list
};

// Names compare exactly; the reports only ever use these spellings.
constexpr std::array<Alias, 8> kAliases = {{
    {"宋体", nullptr},
    {"新宋体", nullptr},
    {"SimSun", nullptr},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Tahoma", "DejaVu Sans"},
    {"黑体", "WenQuanYi Micro Hei"},
}};

}  // namespace

QStringList FamiliesFor(std::string_view grid_font_name) {
  QStringList families;
  for (const Alias& alias : kAliases) {
    if (alias.windows_name != grid_font_name) continue;
    if (alias.family == nullptr)
      families = CjkSerif();
    else
      families.append(QString::fromUtf8(alias.family));
    break;
  }
  if (families.isEmpty() && !grid_font_name.empty())
    families.append(
        QString::fromUtf8(grid_font_name.data(), static_cast<qsizetype>(grid_font_name.size())));
  families.append(CjkSans());
  return families;
}

QStringList UiFamilies() {
  return CjkSans();
}

QFont UiFont(double point_size) {
  QFont font;
  font.setFamilies(UiFamilies());
  font.setPointSizeF(point_size);
  return font;
}

QFont ToQFont(const grid::Font& font, double point_size) {
  QFont q;
  q.setFamilies(FamiliesFor(font.name));
  q.setPointSizeF(point_size > 0 ? point_size : 1);
  q.setBold(font.bold);
  q.setItalic(font.italic);
  q.setUnderline(font.underline);
  q.setStrikeOut(font.strikethrough);
  return q;
}

}  // namespace render
