#include "grid/style.h"

#include <functional>

namespace grid {

bool IsValidAlignment(int code) {
  if (code == kAlignGeneral) return true;
  int v = code - 5;
  return v >= 0 && v <= 10 && v % 4 != 3;
}

HAlign HorizontalOf(int code) {
  if (!IsValidAlignment(code) || code == kAlignGeneral) return HAlign::kGeneral;
  switch ((code - 5) / 4) {
    case 0:
      return HAlign::kLeft;
    case 1:
      return HAlign::kCenter;
    default:
      return HAlign::kRight;
  }
}

VAlign VerticalOf(int code) {
  if (!IsValidAlignment(code) || code == kAlignGeneral) return VAlign::kMiddle;
  switch ((code - 5) % 4) {
    case 0:
      return VAlign::kTop;
    case 1:
      return VAlign::kMiddle;
    default:
      return VAlign::kBottom;
  }
}

std::size_t StyleTable::Hash::operator()(const CellStyle& s) const {
  std::size_t h = std::hash<std::string>()(s.font_name);
  auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
  mix(std::hash<double>()(s.font_size));
  mix((s.bold ? 1u : 0u) | (s.italic ? 2u : 0u) | (s.underline ? 4u : 0u) |
      (s.wrap_text ? 8u : 0u) | (s.locked ? 16u : 0u));
  mix(s.fore_color);
  mix(s.back_color);
  mix(static_cast<std::size_t>(s.alignment));
  for (auto b : s.borders) mix(b);
  return h;
}

StyleTable::StyleTable() {
  Intern(CellStyle{});
}

std::uint32_t StyleTable::Intern(const CellStyle& style) {
  auto it = index_.find(style);
  if (it != index_.end()) return it->second;
  auto index = static_cast<std::uint32_t>(styles_.size());
  styles_.push_back(style);
  index_.emplace(style, index);
  return index;
}

}  // namespace grid
