// What the page setup dialog's controls hold, loaded from a grid's page
// setup and written back to it without any widget, so that the rules for
// out-of-range values and the custom paper can be tested on their own.
#pragma once

#include <string>
#include <vector>

#include "grid/page_setup.h"

namespace app {

// A value edited within a range. A value from the grid outside the usual
// range widens the range instead of being refused, so that opening the
// dialog and pressing OK never changes a setting the user did not touch.
struct RangedValue {
  double value = 0;
  double min = 0;
  double max = 0;
  bool operator==(const RangedValue&) const = default;
};

// Margins: 1.0 .. 3.0 cm in steps of 0.1; the value is kept to one decimal.
RangedValue MarginValue(double cm);
// Title row and column counts: 0 .. 20.
RangedValue TitleCountValue(int count);
// Zoom: 10 .. 400 percent; out-of-range values are brought into it.
RangedValue ZoomValue(int percent);

struct PageSetupForm {
  bool portrait = true;
  std::vector<std::string> paper_names;
  int paper_index = 0;
  // The texts of the user-defined size boxes, shown while the last paper
  // entry is chosen.
  std::string paper_width;
  std::string paper_height;
  RangedValue zoom;
  RangedValue title_rows;
  RangedValue title_columns;
  RangedValue bottom_title_rows;
  bool print_fixed_row = false;
  bool print_fixed_column = false;
  bool print_gridlines = false;
  bool black_and_white = false;
  RangedValue top_margin;
  RangedValue bottom_margin;
  RangedValue left_margin;
  RangedValue right_margin;
  RangedValue header_margin;
  RangedValue footer_margin;
  bool center_horizontally = false;
  bool center_vertically = false;
  grid::HeaderFooter header;
  grid::HeaderFooter footer;

  bool CustomPaperChosen() const {
    return !paper_names.empty() && paper_index == static_cast<int>(paper_names.size()) - 1;
  }
};

PageSetupForm LoadPageSetupForm(const grid::PageSettings& page);

// Chooses paper entry `index`; choosing the user-defined entry fills its
// boxes with `page`'s current paper size.
void ChoosePaper(PageSetupForm& form, int index, const grid::PageSettings& page);

// Writes every setting of the form into `page`; the paper list stays. A
// user-defined size that is not positive keeps the page's current size.
void StorePageSetupForm(const PageSetupForm& form, grid::PageSettings& page);

// A paper dimension in its shortest form: "210", "215.9".
std::string PaperDimensionText(double mm);

}  // namespace app
