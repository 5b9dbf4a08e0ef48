#include "app/document_window_model.h"

#include "common/text_number.h"

namespace app {

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
