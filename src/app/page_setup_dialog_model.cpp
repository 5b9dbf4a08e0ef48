#include "app/page_setup_dialog_model.h"

#include <algorithm>
#include <cmath>

#include "common/text_number.h"

namespace app {

namespace {

constexpr double kMinMargin = 1.0;
constexpr double kMaxMargin = 3.0;
constexpr int kMaxTitleCount = 20;
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 400;

double OneDecimal(double v) {
  return std::round(v * 10) / 10;
}

int IntOf(const RangedValue& v) {
  return static_cast<int>(std::lround(v.value));
}

}  // namespace

RangedValue MarginValue(double cm) {
  double v = OneDecimal(cm);
  return {v, std::min(kMinMargin, v), std::max(kMaxMargin, v)};
}

RangedValue TitleCountValue(int count) {
  int v = std::max(count, 0);
  return {static_cast<double>(v), 0, static_cast<double>(std::max(kMaxTitleCount, v))};
}

RangedValue ZoomValue(int percent) {
  return {static_cast<double>(std::clamp(percent, kMinZoom, kMaxZoom)), kMinZoom, kMaxZoom};
}

std::string PaperDimensionText(double mm) {
  return common::TextOfDouble(mm);
}

PageSetupForm LoadPageSetupForm(const grid::PageSettings& page) {
  PageSetupForm f;
  f.portrait = page.orientation == grid::kPortrait;
  for (const grid::PaperSize& paper : page.papers) f.paper_names.push_back(paper.name);
  ChoosePaper(f, std::max(page.CurrentPaperIndex(), 0), page);
  f.zoom = ZoomValue(page.zoom);
  f.title_rows = TitleCountValue(page.print_title_rows);
  f.title_columns = TitleCountValue(page.print_title_columns);
  f.bottom_title_rows = TitleCountValue(page.print_bottom_title_rows);
  f.print_fixed_row = page.print_fixed_row;
  f.print_fixed_column = page.print_fixed_column;
  f.print_gridlines = page.print_gridlines;
  f.black_and_white = page.black_and_white;
  f.top_margin = MarginValue(page.top_margin);
  f.bottom_margin = MarginValue(page.bottom_margin);
  f.left_margin = MarginValue(page.left_margin);
  f.right_margin = MarginValue(page.right_margin);
  f.header_margin = MarginValue(page.header_margin);
  f.footer_margin = MarginValue(page.footer_margin);
  f.center_horizontally = page.center_horizontally;
  f.center_vertically = page.center_vertically;
  f.header = page.header;
  f.footer = page.footer;
  return f;
}

void ChoosePaper(PageSetupForm& form, int index, const grid::PageSettings& page) {
  form.paper_index = index;
  if (form.CustomPaperChosen()) {
    form.paper_width = PaperDimensionText(page.paper_width);
    form.paper_height = PaperDimensionText(page.paper_height);
  }
}

void StorePageSetupForm(const PageSetupForm& form, grid::PageSettings& page) {
  page.orientation = form.portrait ? grid::kPortrait : grid::kLandscape;
  if (form.CustomPaperChosen()) {
    double width = common::NumericValue(form.paper_width);
    double height = common::NumericValue(form.paper_height);
    if (width > 0 && height > 0) {
      page.paper_width = width;
      page.paper_height = height;
    }
  } else if (form.paper_index >= 0 && form.paper_index < static_cast<int>(page.papers.size())) {
    page.paper_width = page.papers[form.paper_index].width;
    page.paper_height = page.papers[form.paper_index].height;
  }
  page.zoom = IntOf(form.zoom);
  page.print_title_rows = IntOf(form.title_rows);
  page.print_title_columns = IntOf(form.title_columns);
  page.print_bottom_title_rows = IntOf(form.bottom_title_rows);
  page.print_fixed_row = form.print_fixed_row;
  page.print_fixed_column = form.print_fixed_column;
  page.print_gridlines = form.print_gridlines;
  page.black_and_white = form.black_and_white;
  page.center_horizontally = form.center_horizontally;
  page.center_vertically = form.center_vertically;
  page.left_margin = OneDecimal(form.left_margin.value);
  page.right_margin = OneDecimal(form.right_margin.value);
  page.top_margin = OneDecimal(form.top_margin.value);
  page.bottom_margin = OneDecimal(form.bottom_margin.value);
  page.header_margin = OneDecimal(form.header_margin.value);
  page.footer_margin = OneDecimal(form.footer_margin.value);
  page.header = form.header;
  page.footer = form.footer;
}

}  // namespace app
