#include "reports/cover_page.h"

#include <sstream>
#include <string>
#include "reports/stat_columns.h"

#include "grid/content_fit.h"

namespace reports {
namespace {

struct CoverShape {
  int rows;
  int col2_width;
  int title_row;
  int first_char_row;
  int orientation;
};

constexpr CoverShape kLandscape{15, 760, 4, 6, grid::kLandscape};
constexpr CoverShape kPortrait{23, 570, 5, 8, grid::kPortrait};

void SetText(grid::ReportGrid& grid, int row, const std::string& text, double size) {
  grid.SetCellText(row, 2, text);
  grid.Cell(row, 2).SetFontSize(size);
}

std::string DateLine(output::Date d) {
  return std::to_string(static_cast<int>(d.year())) + "年" +
         std::to_string(static_cast<unsigned>(d.month())) + "月" +
         std::to_string(static_cast<unsigned>(d.day())) + "日";
}

// The UTF-8 characters of a text, one string each.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    out.push_back(text.substr(i, end - i));
    i = end;
  }
  return out;
}

// A cover is one block of text in the middle of the page: no grid lines, no
// header row or row-number column.
void SetUpCoverPage(grid::PageSettings& page, int orientation) {
  page.orientation = orientation;
  page.print_gridlines = false;
  page.print_fixed_row = false;
  page.print_fixed_column = false;
  page.print_title_rows = 0;
  page.center_horizontally = true;
  page.center_vertically = true;
}

output::Document MakeCover(const CoverShape& shape, const data::TitleSettings& titles,
                           output::Date today) {
  output::Document doc;
  grid::ReportGrid& grid = doc.grid;
  grid.SetCols(3);
  grid.SetRows(shape.rows);
  // Column 1 stays empty: hidden, so that the text column is the page's middle.
  grid.SetColWidth(1, 0);
  grid.SetColWidth(2, shape.col2_width);
  for (int c = 1; c < grid.Cols(); ++c) grid.SetColAlignment(c, grid::kAlignCenter);
  for (int r = 1; r < grid.Rows(); ++r) grid.SetRowHeight(r, 38);
  SetText(grid, 3, titles.SchoolYear, 18);
  SetText(grid, shape.title_row, titles.GradeLevel + titles.ExamType + "成绩统计表", 24);
  const std::vector<std::string> chars = Characters(titles.School);
  for (int r = shape.first_char_row; r <= shape.rows - 2; ++r) {
    const size_t k = static_cast<size_t>(r - shape.first_char_row);
    SetText(grid, r, k < chars.size() ? chars[k] : std::string(), 18);
  }
  SetText(grid, shape.rows - 1, DateLine(today), 18);
  grid::WidenToFit(grid);  // the 24-point title needs a higher row
  SetUpCoverPage(grid.PageSetup(), shape.orientation);
  doc.title = kCoverTitle;
  doc.title_editable = false;
  return doc;
}

}  // namespace

output::Document LandscapeCover(const data::TitleSettings& titles, output::Date today) {
  return MakeCover(kLandscape, titles, today);
}

output::Document PortraitCover(const data::TitleSettings& titles, output::Date today) {
  return MakeCover(kPortrait, titles, today);
}

namespace {

// "--date 2024-07-01": the day printed on the cover, the run's day when absent.
output::Date CoverDate(const ReportRun& run, const ReportChoices& choices) {
  const std::string text = choices.Get("date");
  if (text.empty()) return run.today;
  int year = 0;
  unsigned month = 0, day = 0;
  char dash1 = 0, dash2 = 0;
  std::istringstream in(text);
  in >> year >> dash1 >> month >> dash2 >> day;
  const output::Date date{std::chrono::year{year}, std::chrono::month{month},
                          std::chrono::day{day}};
  if (!in || dash1 != '-' || dash2 != '-' || !date.ok())
    throw ReportError("日期写成 年-月-日：" + text);
  return date;
}

}  // namespace

output::Document LandscapeCoverReport(ReportRun& run, const ReportChoices& choices) {
  return LandscapeCover(run.state.title_settings, CoverDate(run, choices));
}

output::Document PortraitCoverReport(ReportRun& run, const ReportChoices& choices) {
  return PortraitCover(run.state.title_settings, CoverDate(run, choices));
}

}  // namespace reports
