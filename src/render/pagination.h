// How a report grid falls onto printed pages. Pure arithmetic on the grid's
// sizes and its PageSetup, in grid pixels (96 dpi), so page counts need no
// painter and can be tested without fonts.
//
// Pages run down first, then across: every band of columns that fits the
// paper's width gets the same row breaks, so page 1 and the first page of
// the next band hold the same rows.
#pragma once

#include <cstddef>
#include <vector>

#include "grid/report_grid.h"

namespace render {

inline constexpr double kGridDpi = 96;
using grid::CmToPx;
using grid::MmToPx;

// Splits consecutive items of the given sizes into pages: the first page
// holds up to `first_capacity`, the others up to `capacity`. An item larger
// than its page still gets one to itself. Returns the index of the first item
// of every page; no items give no pages.
std::vector<std::size_t> BreakIntoPages(const std::vector<double>& sizes, double first_capacity,
                                        double capacity);

// The paper as the page setup describes it, in grid pixels.
struct PageGeometry {
  double paper_width = 0;  // orientation applied
  double paper_height = 0;
  double left = 0, right = 0, top = 0, bottom = 0, header = 0, footer = 0;
  double zoom = 1;  // printed size of one grid pixel, in grid pixels
  // The space between the margins, in unzoomed grid pixels.
  double ContentWidth() const;
  double ContentHeight() const;
};
PageGeometry GeometryOf(const grid::PageSettings& page);

// Height a report title line takes, in grid pixels.
double TitleLineHeight(const grid::Font& font);

// A report title as printed: a title whose left and right parts would
// overprint each other stacks them, the right part on a line of its own.
struct TitleLine {
  const grid::ReportTitle* title = nullptr;
  bool stacked = false;
  double height = 0;  // grid pixels, both lines when stacked
};

// Whether `title`'s left and right parts would overprint each other in
// `room` grid pixels, so that it prints stacked.
bool TitleStacks(const grid::ReportGrid& grid, const grid::ReportTitle& title, double room);

// The grid's titles printed on a first or a later page; `stacked` per title
// (shorter: the rest not stacked).
std::vector<TitleLine> TitleLines(const grid::ReportGrid& grid, bool first_page,
                                  const std::vector<bool>& stacked);
double TitlesHeight(const std::vector<TitleLine>& titles);

struct PagePlan {
  std::vector<int> rows;  // body rows, top to bottom
  std::vector<int> cols;  // body columns, left to right
  bool first = false;     // carries the titles printed on the first page only
};

class Pagination {
 public:
  // Lays out `grid` as its PageSetup asks. Keeps a reference: the grid must
  // outlive this object and not change while it is used.
  explicit Pagination(const grid::ReportGrid& grid);

  const grid::ReportGrid& grid() const { return grid_; }
  const PageGeometry& geometry() const { return geometry_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }  // at least 1
  const PagePlan& Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }

  // Rows and columns printed on every page.
  const std::vector<int>& top_rows() const { return top_rows_; }
  const std::vector<int>& bottom_rows() const { return bottom_rows_; }
  const std::vector<int>& left_cols() const { return left_cols_; }

  // The titles printed on a page, in order.
  std::vector<TitleLine> TitlesOn(const PagePlan& page) const;
  double TitlesHeight(const PagePlan& page) const;

 private:
  void ChooseRepeatedCells();
  void StackCrowdedTitles(const std::vector<std::vector<int>>& bands);
  std::vector<std::vector<int>> RowRuns() const;
  std::vector<std::vector<int>> ColumnBands() const;

  const grid::ReportGrid& grid_;
  PageGeometry geometry_;
  std::vector<int> top_rows_, bottom_rows_, left_cols_;
  std::vector<int> body_rows_, body_cols_;
  std::vector<PagePlan> pages_;
  std::vector<bool> stacked_;  // per report title
};

// Sum of the heights of `rows`, of the widths of `cols`.
double RowsHeight(const grid::ReportGrid& grid, const std::vector<int>& rows);
double ColsWidth(const grid::ReportGrid& grid, const std::vector<int>& cols);

}  // namespace render
