// Print settings of one grid, as the page setup dialog edits them and as the
// renderer and the exporters read them.
#pragma once

#include <string>
#include <vector>

#include "grid/style.h"

namespace grid {

// Paper sizes in millimetres.
struct PaperSize {
  std::string name;
  double width = 0;
  double height = 0;
  bool operator==(const PaperSize&) const = default;
};

// A4, A3, B5, Letter, Legal, 16K and, last, the user-defined entry (which
// carries A4's size until the user sets one).
const std::vector<PaperSize>& StandardPapers();

inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;

// Header and footer alignment: 0 left, 1 centre, 2 right. In their texts
// "&p" stands for the page number and "&n" for the number of pages.
struct HeaderFooter {
  std::string text;
  int alignment = 1;
  Font font;
  bool operator==(const HeaderFooter&) const = default;
};

struct PageSettings {
  int orientation = kPortrait;
  std::vector<PaperSize> papers = StandardPapers();
  double paper_width = 210;  // mm
  double paper_height = 297;
  int zoom = 100;  // percent
  // Margins in centimetres.
  double left_margin = 2;
  double right_margin = 2;
  double top_margin = 2.5;
  double bottom_margin = 2.5;
  double header_margin = 1.5;
  double footer_margin = 1.5;
  bool black_and_white = false;
  bool print_fixed_row = true;
  bool print_fixed_column = false;
  bool print_gridlines = true;
  int print_title_rows = 0;         // top grid rows repeated on every page
  int print_title_columns = 0;      // left grid columns repeated on every page
  int print_bottom_title_rows = 0;  // bottom grid rows repeated on every page
  bool center_horizontally = false;
  bool center_vertically = false;
  HeaderFooter header;
  HeaderFooter footer;
  bool operator==(const PageSettings&) const = default;

  // Grid rows 0 .. n-1 printed at the top of every page: the fixed rows when
  // they are printed, and at least the first print_title_rows rows.
  int RepeatedTopRows(int fixed_rows) const;
  // The entry of `papers` whose size equals the paper size exactly, else the
  // last (user-defined) entry.
  int CurrentPaperIndex() const;
};

// Paper and margins in grid pixels (96 dpi), as the printed page lays out
// the grid's pixel widths.
double MmToPx(double mm);
double CmToPx(double cm);
struct PaperPixels {
  double width = 0;
  double height = 0;
};
// The paper turned to `orientation`: the paper list gives portrait sizes, and
// a user-defined paper may be given either way round.
PaperPixels OrientedPaper(const PageSettings& page, int orientation);
// Width between the left and right margins at 100 %.
double PrintableWidth(const PageSettings& page, int orientation);

// "&p" -> page, "&n" -> pages, for painting a header or footer line.
std::string ExpandPageFields(const std::string& text, int page, int pages);

}  // namespace grid
