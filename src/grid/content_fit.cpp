#include "grid/content_fit.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

#include "grid/display_format.h"
#include "grid/text_ids.h"

namespace grid {
namespace {

// The widths of the unbreakable runs of each line of a text.
using RunWidths = std::vector<std::vector<int>>;

RunWidths MeasureRuns(std::string_view text, const Font& font, const TextMeasurer& measurer) {
  RunWidths lines(1);
  std::size_t run_start = 0;
  char32_t previous = 0;
  auto close_run = [&](std::size_t end) {
    if (end > run_start)
      lines.back().push_back(measurer.TextWidth(text.substr(run_start, end - run_start), font));
    run_start = end;
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t cp = NextCodePoint(text, i);
    if (cp == '\n') {
      close_run(at);
      run_start = i;
      lines.emplace_back();
      previous = 0;
      continue;
    }
    const bool may_break = previous != 0 && cp != ' ' && (previous == ' ' || IsWide(cp));
    if (may_break) close_run(at);
    previous = cp;
  }
  close_run(text.size());
  return lines;
}

int CountLines(const RunWidths& lines, int width) {
  int count = 0;
  for (const std::vector<int>& runs : lines) {
    if (runs.empty()) continue;
    int used = 0;
    ++count;
    for (int w : runs) {
      if (used > 0 && used + w > width) {
        ++count;
        used = 0;
      }
      used += w;
    }
  }
  return count;
}

bool Wraps(const ReportGrid& grid, int row, int col) {
  return grid.CellStyleAt(row, col).wrap_text;
}

// Lines a wrapping cell may use: what its `height` holds, at least two.
int LinesAllowed(const ReportGrid& grid, int height, const Font& font) {
  const int line = std::max(1, grid.measurer().LineHeight(font));
  return std::max(2, (height - kFitPaddingY) / line);
}

// Width the text needs in a cell `height` pixels high.
int TextNeed(const ReportGrid& grid, int row, int col, std::string_view shown, int height) {
  const Font font = grid.CellFont(row, col);
  if (!Wraps(grid, row, col)) return grid.measurer().TextWidth(shown, font);
  return WrappedTextWidth(shown, font, LinesAllowed(grid, height, font), grid.measurer());
}

int TextNeed(const ReportGrid& grid, int row, int col, std::string_view shown) {
  return TextNeed(grid, row, col, shown, grid.RowHeight(row));
}

int MergedHeight(const ReportGrid& grid, const CellRect& m) {
  int height = 0;
  for (int r = m.first_row; r <= m.last_row; ++r) height += grid.RowHeight(r);
  return height;
}

// A merge across columns must hold its text in their widths together: the
// last visible one of them takes what is missing.
void WidenForMerge(ReportGrid& grid, const CellRect& m) {
  int width = 0;
  int last_visible = -1;
  for (int c = m.first_col; c <= m.last_col; ++c) {
    width += grid.ColWidth(c);
    if (grid.ColWidth(c) > 0) last_visible = c;
  }
  if (last_visible < 0) return;
  const std::string shown = grid.DisplayText(m.first_row, m.first_col);
  if (shown.empty()) return;
  const int needed =
      TextNeed(grid, m.first_row, m.first_col, shown, MergedHeight(grid, m)) + kFitPaddingX;
  if (needed > width) grid.SetColWidth(last_visible, grid.ColWidth(last_visible) + needed - width);
}

// What each of a set of columns needs, found a column at a time (the grid
// keeps its cells column by column). A body cell shows its text formatted
// by its column alone (as stored when the column has no format), so equal
// texts of equal style need the same width: a text like the cell's above
// (a listing sorted by school and class) is passed over, and the first
// kRememberedTexts distinct ones of a column are measured once each. Past
// that (names, ids) every text is measured as it comes, which costs less
// than remembering a million of them.
class ColumnFitter {
 public:
  // `body_fitted`: columns whose body cells are covered by their width
  // already (see WidenToFit); only their other cells are measured.
  ColumnFitter(const ReportGrid& grid, const std::vector<int>& cols,
               const std::vector<int>& body_fitted = {})
      : grid_(grid), cells_(grid.Contents().cells) {
    for (int col : cols) {
      Column& c = columns_.emplace_back();
      c.col = col;
      c.body_fitted = std::find(body_fitted.begin(), body_fitted.end(), col) != body_fitted.end();
      c.format = grid.ColumnAt(col).format;
      c.as_stored = c.format.empty() || col < grid.FixedCols();
      c.row_numbers = col < grid.FixedCols() && grid.DisplayRowIndex();
      for (const CellRect& m : grid.Merges())
        if (m.first_col <= col && col <= m.last_col && !m.IsSingleCell()) c.merges.push_back(m);
    }
  }

  // Per column, padding included.
  std::vector<int> Needed() {
    const int first_body = std::min(std::max(grid_.FixedRows(), 1), grid_.Rows());
    std::vector<int> out;
    out.reserve(columns_.size());
    for (Column& c : columns_) {
      MeasureOutsideBody(c, first_body);
      if (!c.row_numbers && !c.body_fitted) MeasureBody(c, first_body);
      out.push_back(c.widest + kFitPaddingX);
    }
    return out;
  }

 private:
  struct Column {
    int col = 0;
    std::string format;
    bool as_stored = true;
    bool row_numbers = false;
    bool body_fitted = false;
    std::vector<CellRect> merges;  // those across or down this column
    int widest = 0;
  };
  static constexpr std::size_t kRememberedTexts = 1 << 16;
  static constexpr std::size_t kDistinctProbe = 4096;

  bool Merged(const Column& c, int r) const { return grid_.MergeAt(r, c.col).has_value(); }

  // The fixed rows, a merge down the column alone (measured once, at its full
  // height; one across columns is WidenToFit's to share out), and the row
  // numbers, of which the last is the longest.
  void MeasureOutsideBody(Column& c, int first_body) {
    for (const CellRect& m : c.merges)
      if (m.first_col == m.last_col)
        Widen(c, TextNeed(grid_, m.first_row, c.col, grid_.DisplayText(m.first_row, c.col),
                          MergedHeight(grid_, m)));
    for (int r = 0; r < first_body; ++r)
      if (!Merged(c, r)) Widen(c, TextNeed(grid_, r, c.col, grid_.DisplayText(r, c.col)));
    const int last = grid_.Rows() - 1;
    if (c.row_numbers && last >= first_body)
      Widen(c, TextNeed(grid_, last, c.col, grid_.DisplayText(last, c.col)));
  }

  // Read from the store itself: the grid's checked accessors cost more than
  // the rest of the pass. A column whose texts are nearly all distinct (ids,
  // names) is measured text by text once that shows: remembering them costs
  // more than measuring them again.
  void MeasureBody(Column& c, int first_body) {
    const auto col = static_cast<std::size_t>(c.col);
    TextIds seen;
    bool remember = true;
    std::size_t looked_up = 0;
    std::string_view above;
    std::uint32_t above_style = 0;
    for (int r = first_body; r < grid_.Rows(); ++r) {
      const auto row = static_cast<std::size_t>(r);
      const std::string_view text = cells_.Text(row, col);
      if (text.empty() || (!c.merges.empty() && Merged(c, r))) continue;
      const std::uint32_t style = cells_.Style(row, col);
      if (style == above_style && text == above) continue;
      above = text;
      above_style = style;
      if (remember) {
        ++looked_up;
        if (!seen.Insert(text, style).second) continue;
        remember = seen.size() < kRememberedTexts &&
                   (looked_up < kDistinctProbe || seen.size() * 4 < looked_up * 3);
      }
      MeasureBodyCell(c, r, text, style);
    }
  }

  void MeasureBodyCell(Column& c, int r, std::string_view text, std::uint32_t style) {
    if (grid_.Styles().Get(style).wrap_text) {
      Widen(c, TextNeed(grid_, r, c.col, grid_.DisplayText(r, c.col)));
      return;
    }
    const Font& font = FontOf(style, r, c.col);
    Widen(c, c.as_stored ? grid_.measurer().TextWidth(text, font)
                         : grid_.measurer().TextWidth(FormatDisplayText(text, c.format), font));
  }

  // A cell's font depends on its style alone.
  const Font& FontOf(std::uint32_t style, int r, int col) {
    if (style >= fonts_.size()) fonts_.resize(style + 1);
    if (!fonts_[style]) fonts_[style] = grid_.CellFont(r, col);
    return *fonts_[style];
  }

  static void Widen(Column& c, int width) { c.widest = std::max(c.widest, width); }

  const ReportGrid& grid_;
  const CellStore& cells_;
  std::vector<Column> columns_;
  std::vector<std::optional<Font>> fonts_;
};

// Measures the tallest text of each of a run of rows, a column at a time
// (the grid keeps its cells column by column), remembering the line height
// of each style: a million rows then cost a look at each cell's text and
// style.
class RowFitter {
 public:
  explicit RowFitter(const ReportGrid& grid) : grid_(grid), cells_(grid.Contents().cells) {}

  // Rows first .. last, padding included; 0 for a row that shows no text.
  std::vector<int> Needed(int first, int last) {
    std::vector<int> tallest(static_cast<std::size_t>(last - first + 1), 0);
    for (int c = 0; c < grid_.Cols(); ++c) {
      if (grid_.ColWidth(c) == 0) continue;
      const bool numbered = c < grid_.FixedCols() && grid_.DisplayRowIndex();
      const bool merged = HasMerge(c);
      const auto col = static_cast<std::size_t>(c);
      for (int r = first; r <= last; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const bool row_number = numbered && r >= grid_.FixedRows();
        if (!row_number && cells_.Empty(row, col)) continue;
        if (merged && grid_.MergeAt(r, c).has_value()) continue;
        int& height = tallest[static_cast<std::size_t>(r - first)];
        height = std::max(height, TextHeight(r, c, cells_.Style(row, col)));
      }
    }
    for (int& height : tallest)
      if (height > 0) height += kFitPaddingY;
    return tallest;
  }

 private:
  bool HasMerge(int col) const {
    const std::vector<CellRect>& merges = grid_.Merges();
    return std::any_of(merges.begin(), merges.end(),
                       [&](const CellRect& m) { return m.first_col <= col && col <= m.last_col; });
  }

  int TextHeight(int row, int col, std::uint32_t style) {
    if (style >= line_height_.size()) line_height_.resize(style + 1);
    std::optional<int>& line = line_height_[style];
    if (!line) line = grid_.measurer().LineHeight(grid_.CellFont(row, col));
    if (!grid_.Styles().Get(style).wrap_text) return *line;
    const int width = grid_.ColWidth(col) - kFitPaddingX;
    const Font font = grid_.CellFont(row, col);
    return *line * WrappedLineCount(grid_.DisplayText(row, col), font, width, grid_.measurer());
  }

  const ReportGrid& grid_;
  const CellStore& cells_;
  std::vector<std::optional<int>> line_height_;
};

}  // namespace

int WrappedLineCount(std::string_view text, const Font& font, int width,
                     const TextMeasurer& measurer) {
  return CountLines(MeasureRuns(text, font, measurer), width);
}

int WrappedTextWidth(std::string_view text, const Font& font, int lines,
                     const TextMeasurer& measurer) {
  const RunWidths runs = MeasureRuns(text, font, measurer);
  int low = 0;
  int high = 0;
  for (const std::vector<int>& line : runs) {
    for (int w : line) low = std::max(low, w);
    high = std::max(high, std::accumulate(line.begin(), line.end(), 0));
  }
  // The fewest lines never need more than the widest line unbroken.
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (CountLines(runs, mid) <= lines)
      high = mid;
    else
      low = mid + 1;
  }
  return low;
}

int NeededColumnWidth(const ReportGrid& grid, int col) {
  grid.CheckCol(col);
  return ColumnFitter(grid, {col}).Needed().front();
}

int NeededRowHeight(const ReportGrid& grid, int row) {
  grid.CheckRow(row);
  return RowFitter(grid).Needed(row, row).front();
}

namespace {

// Below this many rows a second thread costs more than it saves.
constexpr int kRowsForTwoThreads = 20000;

// Runs `first` here and `second` on a thread of its own at once when the
// grid is long and its measurer may be used so; else one after the other.
// What the second throws is thrown here.
void BothHalves(const ReportGrid& grid, const std::function<void()>& first,
                const std::function<void()>& second) {
  if (grid.Rows() < kRowsForTwoThreads || !grid.measurer().SharedAcrossThreads()) {
    first();
    second();
    return;
  }
  std::exception_ptr failed;
  {
    std::jthread other([&] {
      try {
        second();
      } catch (...) {
        failed = std::current_exception();
      }
    });
    first();
  }
  if (failed) std::rethrow_exception(failed);
}

// What `visible` columns need, the two threads each taking the next column
// not yet taken: a listing's few costly columns (ids, names) among cheap
// ones then fall to whichever thread is free.
std::vector<int> NeededWidths(const ReportGrid& grid, const std::vector<int>& visible,
                              const std::vector<int>& body_fitted) {
  std::vector<int> out(visible.size());
  std::atomic<std::size_t> next{0};
  const auto take_columns = [&] {
    for (std::size_t i = next++; i < visible.size(); i = next++)
      out[i] = ColumnFitter(grid, {visible[i]}, body_fitted).Needed().front();
  };
  BothHalves(grid, take_columns, take_columns);
  return out;
}

// What every row needs, the second half of the rows on a second thread.
std::vector<int> NeededHeights(const ReportGrid& grid) {
  const int middle = grid.Rows() / 2;
  std::vector<int> upper, lower;
  BothHalves(
      grid, [&] { upper = RowFitter(grid).Needed(0, middle); },
      [&] {
        if (middle + 1 < grid.Rows()) lower = RowFitter(grid).Needed(middle + 1, grid.Rows() - 1);
      });
  upper.insert(upper.end(), lower.begin(), lower.end());
  return upper;
}

}  // namespace

std::vector<int> NeededColumnWidths(const ReportGrid& grid, const std::vector<int>& cols) {
  for (const int col : cols) grid.CheckCol(col);
  return NeededWidths(grid, cols, {});
}

void WidenToFit(ReportGrid& grid, const std::vector<int>& body_fitted) {
  std::vector<int> visible;
  for (int c = 0; c < grid.Cols(); ++c)
    if (grid.ColWidth(c) > 0) visible.push_back(c);
  const std::vector<int> needed = NeededWidths(grid, visible, body_fitted);
  for (std::size_t i = 0; i < visible.size(); ++i)
    if (needed[i] > grid.ColWidth(visible[i])) grid.SetColWidth(visible[i], needed[i]);
  const std::vector<CellRect> merges = grid.Merges();
  for (const CellRect& m : merges)
    if (m.first_col != m.last_col) WidenForMerge(grid, m);
  const std::vector<int> heights = NeededHeights(grid);
  for (int r = 0; r < grid.Rows(); ++r) {
    const int height = grid.RowHeight(r);
    const int needed = heights[static_cast<std::size_t>(r)];
    if (height != 0 && needed > height) grid.SetRowHeight(r, needed);
  }
}

}  // namespace grid
