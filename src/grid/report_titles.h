// The print titles of a report: lines printed above the table.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "grid/style.h"

namespace grid {

struct ReportTitle {
  std::string text;  // "||" separates the left part from the right part
  Font font;
  int align_to = 0;  // 0: centred on the page; 1: aligned to the table's width
  bool print_on_all_pages = true;
  bool operator==(const ReportTitle&) const = default;

  // The left and right parts of the line; without "||" the whole text is the
  // left part (and is printed centred).
  std::pair<std::string, std::string> Parts() const;
  bool HasRightPart() const;
};

class ReportTitleList {
 public:
  void Clear() { items_.clear(); }
  ReportTitle& Add(std::string text, std::string font_name = "宋体", double font_size = 12);
  std::size_t Count() const { return items_.size(); }
  ReportTitle& Item(std::size_t i);  // throws GridError out of range
  const ReportTitle& Item(std::size_t i) const;
  const std::vector<ReportTitle>& items() const { return items_; }
  bool operator==(const ReportTitleList&) const = default;

 private:
  std::vector<ReportTitle> items_;
};

}  // namespace grid
