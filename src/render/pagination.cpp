#include "render/pagination.h"

#include <algorithm>

namespace render {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kTitleLineSpacing = 1.6;  // leaves air between the two title lines

// Indexes in [first, last) whose size is not 0 (a size of 0 hides them).
template <typename SizeOf>
std::vector<int> Visible(int first, int last, SizeOf size_of) {
  std::vector<int> out;
  for (int i = std::max(first, 0); i < last; ++i)
    if (size_of(i) > 0) out.push_back(i);
  return out;
}

}  // namespace

std::vector<std::size_t> BreakIntoPages(const std::vector<double>& sizes, double first_capacity,
                                        double capacity) {
  std::vector<std::size_t> starts;
  double used = 0;
  double room = first_capacity;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (starts.empty()) {
      starts.push_back(i);
    } else if (used > 0 && used + sizes[i] > room + 1e-9) {
      starts.push_back(i);
      used = 0;
      room = capacity;
    }
    used += sizes[i];
  }
  return starts;
}

double PageGeometry::ContentWidth() const {
  return std::max(0.0, (paper_width - left - right) / zoom);
}

double PageGeometry::ContentHeight() const {
  return std::max(0.0, (paper_height - top - bottom) / zoom);
}

PageGeometry GeometryOf(const grid::PageSettings& page) {
  PageGeometry g;
  const grid::PaperPixels paper = grid::OrientedPaper(page, page.orientation);
  g.paper_width = paper.width;
  g.paper_height = paper.height;
  g.left = CmToPx(page.left_margin);
  g.right = CmToPx(page.right_margin);
  g.top = CmToPx(page.top_margin);
  g.bottom = CmToPx(page.bottom_margin);
  g.header = CmToPx(page.header_margin);
  g.footer = CmToPx(page.footer_margin);
  g.zoom = std::clamp(page.zoom, 10, 400) / 100.0;
  return g;
}

double TitleLineHeight(const grid::Font& font) {
  return font.size * kGridDpi / kPointsPerInch * kTitleLineSpacing;
}

double RowsHeight(const grid::ReportGrid& grid, const std::vector<int>& rows) {
  double sum = 0;
  for (int r : rows) sum += grid.RowHeight(r);
  return sum;
}

double ColsWidth(const grid::ReportGrid& grid, const std::vector<int>& cols) {
  double sum = 0;
  for (int c : cols) sum += grid.ColWidth(c);
  return sum;
}

Pagination::Pagination(const grid::ReportGrid& grid)
    : grid_(grid), geometry_(GeometryOf(grid.PageSetup())) {
  ChooseRepeatedCells();
  std::vector<std::vector<int>> bands = ColumnBands();
  StackCrowdedTitles(bands);
  std::vector<std::vector<int>> runs = RowRuns();
  for (const auto& band : bands) {
    for (const auto& run : runs) {
      PagePlan plan;
      plan.rows = run;
      plan.cols = band;
      plan.first = pages_.empty();
      pages_.push_back(std::move(plan));
    }
  }
}

void Pagination::ChooseRepeatedCells() {
  const grid::PageSettings& page = grid_.PageSetup();
  int rows = grid_.Rows();
  int cols = grid_.Cols();
  auto height = [this](int r) { return grid_.RowHeight(r); };
  auto width = [this](int c) { return grid_.ColWidth(c); };

  // Fixed rows that are not printed are skipped altogether, not only not
  // repeated.
  int top = std::min(page.RepeatedTopRows(grid_.FixedRows()), rows);
  int body_first_row = std::max(top, grid_.FixedRows());
  int bottom = std::clamp(page.print_bottom_title_rows, 0, rows - body_first_row);
  top_rows_ = Visible(0, top, height);
  body_rows_ = Visible(body_first_row, rows - bottom, height);
  bottom_rows_ = Visible(rows - bottom, rows, height);

  int left = std::max(page.print_fixed_column ? grid_.FixedCols() : 0, page.print_title_columns);
  left = std::min(left, cols);
  // The title columns count from column 0, but the row-header column among
  // them prints only when the fixed column is printed.
  left_cols_ = Visible(page.print_fixed_column ? 0 : grid_.FixedCols(), left, width);
  body_cols_ = Visible(std::max(left, grid_.FixedCols()), cols, width);
}

std::vector<std::vector<int>> Pagination::RowRuns() const {
  double repeated = RowsHeight(grid_, top_rows_) + RowsHeight(grid_, bottom_rows_);
  double room = geometry_.ContentHeight() - repeated;
  PagePlan first_page;
  first_page.first = true;
  PagePlan later_page;
  std::vector<double> sizes;
  sizes.reserve(body_rows_.size());
  for (int r : body_rows_) sizes.push_back(grid_.RowHeight(r));
  std::vector<std::size_t> starts =
      BreakIntoPages(sizes, room - TitlesHeight(first_page), room - TitlesHeight(later_page));
  std::vector<std::vector<int>> runs;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::size_t end = i + 1 < starts.size() ? starts[i + 1] : body_rows_.size();
    runs.emplace_back(body_rows_.begin() + static_cast<std::ptrdiff_t>(starts[i]),
                      body_rows_.begin() + static_cast<std::ptrdiff_t>(end));
  }
  if (runs.empty()) runs.emplace_back();  // a header-only grid still prints
  return runs;
}

std::vector<std::vector<int>> Pagination::ColumnBands() const {
  double room = geometry_.ContentWidth() - ColsWidth(grid_, left_cols_);
  std::vector<double> sizes;
  for (int c : body_cols_) sizes.push_back(grid_.ColWidth(c));
  std::vector<std::size_t> starts = BreakIntoPages(sizes, room, room);
  std::vector<std::vector<int>> bands;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::size_t end = i + 1 < starts.size() ? starts[i + 1] : body_cols_.size();
    bands.emplace_back(body_cols_.begin() + static_cast<std::ptrdiff_t>(starts[i]),
                       body_cols_.begin() + static_cast<std::ptrdiff_t>(end));
  }
  if (bands.empty()) bands.emplace_back();
  return bands;
}

// Decided once for all pages, on the narrowest table, so that every page
// of a report shows its titles alike.
void Pagination::StackCrowdedTitles(const std::vector<std::vector<int>>& bands) {
  double narrowest = geometry_.ContentWidth();
  for (const auto& band : bands)
    if (!band.empty())
      narrowest = std::min(narrowest, ColsWidth(grid_, left_cols_) + ColsWidth(grid_, band));
  for (const grid::ReportTitle& title : grid_.ReportTitles().items())
    stacked_.push_back(
        TitleStacks(grid_, title, title.align_to == 1 ? narrowest : geometry_.ContentWidth()));
}

std::vector<TitleLine> Pagination::TitlesOn(const PagePlan& page) const {
  return TitleLines(grid_, page.first, stacked_);
}

double Pagination::TitlesHeight(const PagePlan& page) const {
  return render::TitlesHeight(TitlesOn(page));
}

bool TitleStacks(const grid::ReportGrid& grid, const grid::ReportTitle& title, double room) {
  if (!title.HasRightPart()) return false;
  auto [left, right] = title.Parts();
  const double gap = title.font.size * kGridDpi / kPointsPerInch;  // an em
  const grid::TextMeasurer& measurer = grid.measurer();
  return !left.empty() && !right.empty() &&
         measurer.TextWidth(left, title.font) + gap + measurer.TextWidth(right, title.font) > room;
}

std::vector<TitleLine> TitleLines(const grid::ReportGrid& grid, bool first_page,
                                  const std::vector<bool>& stacked) {
  std::vector<TitleLine> out;
  const std::vector<grid::ReportTitle>& items = grid.ReportTitles().items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!first_page && !items[i].print_on_all_pages) continue;
    const bool two_lines = i < stacked.size() && stacked[i];
    out.push_back({&items[i], two_lines, TitleLineHeight(items[i].font) * (two_lines ? 2 : 1)});
  }
  return out;
}

double TitlesHeight(const std::vector<TitleLine>& titles) {
  double sum = 0;
  for (const TitleLine& line : titles) sum += line.height;
  return sum;
}

}  // namespace render
