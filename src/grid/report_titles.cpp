#include "grid/report_titles.h"

#include "grid/grid_error.h"

namespace grid {

namespace {
constexpr std::string_view kSeparator = "||";
}

std::pair<std::string, std::string> ReportTitle::Parts() const {
  auto pos = text.find(kSeparator);
  if (pos == std::string::npos) return {text, {}};
  return {text.substr(0, pos), text.substr(pos + kSeparator.size())};
}

bool ReportTitle::HasRightPart() const {
  return text.find(kSeparator) != std::string::npos;
}

ReportTitle& ReportTitleList::Add(std::string text, std::string font_name, double font_size) {
  ReportTitle item;
  item.text = std::move(text);
  item.font.name = std::move(font_name);
  item.font.size = font_size;
  items_.push_back(std::move(item));
  return items_.back();
}

ReportTitle& ReportTitleList::Item(std::size_t i) {
  if (i >= items_.size()) throw GridError("报表标题序号超出范围：" + std::to_string(i));
  return items_[i];
}

const ReportTitle& ReportTitleList::Item(std::size_t i) const {
  return const_cast<ReportTitleList*>(this)->Item(i);
}

}  // namespace grid
