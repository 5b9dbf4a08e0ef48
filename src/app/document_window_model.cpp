#include "app/document_window_model.h"

#include "common/text_number.h"

namespace app {

void RebuildReportTitles(grid::ReportGrid& grid, const std::string& title,
                         const data::TitleSettings& settings, const std::string& date) {
  grid::ReportTitleList& titles = grid.ReportTitles();
  titles.Clear();
  grid::ReportTitle& main = titles.Add(title, "宋体", 14);
  main.print_on_all_pages = true;
  std::string subtitle = settings.LeftSubtitle + "||" + settings.RightSubtitle;
  if (settings.ShowDate == "1") subtitle += date;
  grid::ReportTitle& sub = titles.Add(subtitle, "Arial", 10);
  sub.align_to = 1;
  sub.print_on_all_pages = true;
}

std::optional<std::string> SelectionSumText(const grid::ReportGrid& grid,
                                            const grid::CellRect& rect) {
  const long long extent = static_cast<long long>(rect.last_col - rect.first_col) *
                           static_cast<long long>(rect.last_row - rect.first_row);
  if (extent > kMaxSummedExtent) return std::nullopt;
  float sum = 0;
  for (int c = rect.first_col; c <= rect.last_col; ++c) {
    for (int r = rect.first_row; r <= rect.last_row; ++r) {
      // Added in double precision, then held in single precision.
      sum =
          static_cast<float>(static_cast<double>(sum) + common::NumericValue(grid.CellText(r, c)));
    }
  }
  return "和  " + common::TextOfSingle(sum);
}

}  // namespace app
