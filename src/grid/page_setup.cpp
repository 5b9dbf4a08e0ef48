#include "grid/page_setup.h"

#include <algorithm>

namespace grid {

const std::vector<PaperSize>& StandardPapers() {
  static const std::vector<PaperSize> kPapers = {
      {"A4", 210, 297},        {"A3", 297, 420},  {"B5", 182, 257},     {"Letter", 215.9, 279.4},
      {"Legal", 215.9, 355.6}, {"16K", 184, 260}, {"自定义", 210, 297},
  };
  return kPapers;
}

int PageSettings::RepeatedTopRows(int fixed_rows) const {
  return std::max(print_fixed_row ? fixed_rows : 0, print_title_rows);
}

int PageSettings::CurrentPaperIndex() const {
  if (papers.empty()) return -1;
  for (std::size_t i = 0; i + 1 < papers.size(); ++i)
    if (papers[i].width == paper_width && papers[i].height == paper_height)
      return static_cast<int>(i);
  return static_cast<int>(papers.size()) - 1;
}

namespace {
constexpr double kMmPerInch = 25.4;
constexpr double kGridDpi = 96;
}  // namespace

double MmToPx(double mm) {
  return mm / kMmPerInch * kGridDpi;
}

double CmToPx(double cm) {
  return MmToPx(cm * 10);
}

PaperPixels OrientedPaper(const PageSettings& page, int orientation) {
  const double w = MmToPx(page.paper_width);
  const double h = MmToPx(page.paper_height);
  if (orientation == kLandscape) return {std::max(w, h), std::min(w, h)};
  return {std::min(w, h), std::max(w, h)};
}

double PrintableWidth(const PageSettings& page, int orientation) {
  return OrientedPaper(page, orientation).width - CmToPx(page.left_margin) -
         CmToPx(page.right_margin);
}

std::string ExpandPageFields(const std::string& text, int page, int pages) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      char f = text[i + 1];
      if (f == 'p' || f == 'P') {
        out += std::to_string(page);
        ++i;
        continue;
      }
      if (f == 'n' || f == 'N') {
        out += std::to_string(pages);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace grid
