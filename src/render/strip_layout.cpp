#include "render/strip_layout.h"

#include <QByteArray>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <memory>

#include "render/cell_painter.h"
#include "render/page_painter.h"
#include "render/pagination.h"
#include "render/pdf_split.h"
#include "render/print.h"

namespace render {
namespace {

// The strip's rows that the grid still has: the user may have deleted rows since.
std::vector<int> RowsOf(const grid::ReportGrid& grid, const grid::Strip& strip) {
  std::vector<int> rows;
  for (int r = std::max(strip.first_row, 0); r < strip.first_row + strip.rows && r < grid.Rows();
       ++r)
    rows.push_back(r);
  return rows;
}

// The printed columns: the row-header column only when the page setup prints it.
std::vector<int> PrintedColumns(const grid::ReportGrid& grid) {
  std::vector<int> cols;
  for (int c = grid.PageSetup().print_fixed_column ? 0 : 1; c < grid.Cols(); ++c)
    if (grid.ColWidth(c) > 0) cols.push_back(c);
  return cols;
}

// The report's titles over the strips of a first or a later page, as a
// table's page has them.
std::vector<TitleLine> StripTitles(const grid::ReportGrid& grid, bool first_page) {
  const double content = GeometryOf(grid.PageSetup()).ContentWidth();
  const double table = ColsWidth(grid, PrintedColumns(grid));
  std::vector<bool> stacked;
  for (const grid::ReportTitle& title : grid.ReportTitles().items())
    stacked.push_back(TitleStacks(grid, title, title.align_to == 1 ? table : content));
  return TitleLines(grid, first_page, stacked);
}

// The device rectangle of `cells` within a band painted at `origin`: the
// band's own rows and columns before them, then their extent.
QRectF BandArea(const grid::ReportGrid& grid, const std::vector<int>& rows,
                const std::vector<int>& cols, QPointF origin, double scale,
                const grid::CellRect& cells) {
  std::vector<int> rows_before, rows_in, cols_before, cols_in;
  for (int r : rows) (r < cells.first_row ? rows_before : rows_in).push_back(r);
  for (int c : cols) (c < cells.first_col ? cols_before : cols_in).push_back(c);
  std::erase_if(rows_in, [&](int r) { return r > cells.last_row; });
  std::erase_if(cols_in, [&](int c) { return c > cells.last_col; });
  return {origin.x() + ColsWidth(grid, cols_before) * scale,
          origin.y() + RowsHeight(grid, rows_before) * scale, ColsWidth(grid, cols_in) * scale,
          RowsHeight(grid, rows_in) * scale};
}

}  // namespace

std::vector<std::vector<std::size_t>> LayOutStrips(const grid::ReportGrid& grid,
                                                   std::span<const grid::Strip> strips) {
  const double content = GeometryOf(grid.PageSetup()).ContentHeight();
  const double later_capacity = content - TitlesHeight(StripTitles(grid, false));
  double capacity = content - TitlesHeight(StripTitles(grid, true));
  std::vector<std::vector<std::size_t>> pages(1);
  double used = 0;
  for (std::size_t k = 0; k < strips.size(); ++k) {
    const double height = RowsHeight(grid, RowsOf(grid, strips[k]));
    std::vector<std::size_t>& page = pages.back();
    if (!page.empty() && (strips[k].new_page || used + kCutGap + height > capacity)) {
      pages.emplace_back();
      used = 0;
      capacity = later_capacity;
    }
    used += (pages.back().empty() ? 0 : kCutGap) + height;
    pages.back().push_back(k);
  }
  return pages;
}

void PaintStripPage(QPainter& painter, const grid::ReportGrid& grid,
                    std::span<const grid::Strip> strips,
                    const std::vector<std::vector<std::size_t>>& pages, int index, double scale,
                    PaintCache* cache, const StripOverlay& overlay) {
  const PageGeometry g = GeometryOf(grid.PageSetup());
  const double zoomed = g.zoom * scale;
  const std::vector<int> cols = PrintedColumns(grid);
  const double width = ColsWidth(grid, cols);
  const double x =
      grid.PageSetup().center_horizontally ? std::max(0.0, (g.ContentWidth() - width) / 2) : 0.0;
  PaintOptions options;
  options.scale = zoomed;
  options.gridlines = true;
  options.gridline_color = Qt::black;
  options.black_and_white = grid.PageSetup().black_and_white;
  options.merges_at_full_size = false;
  options.cache = cache;
  painter.save();
  const std::vector<TitleLine> titles = StripTitles(grid, index == 0);
  PaintTitleLines(painter, titles, g.ContentWidth(), x, width, 0,
                  QPointF(g.left * scale, g.top * scale), zoomed);
  QPen cut(Qt::black, std::max(1.0, scale / 2), Qt::DashLine);
  double y = TitlesHeight(titles);
  bool first = true;
  for (std::size_t k : pages.at(static_cast<std::size_t>(index))) {
    if (!first) {
      const double line_y = (g.top + (y + kCutGap / 2) * g.zoom) * scale;
      painter.setPen(cut);
      painter.drawLine(QPointF(g.left * scale, line_y),
                       QPointF((g.paper_width - g.right) * scale, line_y));
      y += kCutGap;
    }
    const std::vector<int> rows = RowsOf(grid, strips[k]);
    const QPointF origin((g.left + x * g.zoom) * scale, (g.top + y * g.zoom) * scale);
    PaintBand(painter, grid, rows, cols, origin, options);
    if (overlay)
      overlay(
          painter, grid, strips[k],
          [&](const grid::CellRect& cells) {
            return BandArea(grid, rows, cols, origin, zoomed, cells);
          },
          zoomed);
    y += RowsHeight(grid, rows);
    first = false;
  }
  PaintHeaderFooter(painter, grid, g, index, static_cast<int>(pages.size()), scale);
  painter.restore();
}

grid::Status WriteStripPdf(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                           const std::string& path, const PdfProgress& progress,
                           const StripOverlay& overlay) {
  const auto pages = LayOutStrips(grid, strips);
  return WritePagesPdf(
      grid, path, static_cast<int>(pages.size()),
      [&]() -> PagePainter {
        // A cache per writer: each paints on a thread of its own.
        return [&, cache = std::make_shared<PaintCache>()](QPainter& p, int index, double scale) {
          PaintStripPage(p, grid, strips, pages, index, scale, cache.get(), overlay);
        };
      },
      progress);
}

namespace {

bool SamePaper(const grid::ReportGrid& a, const grid::ReportGrid& b) {
  const grid::PageSettings& x = a.PageSetup();
  const grid::PageSettings& y = b.PageSetup();
  return x.paper_width == y.paper_width && x.paper_height == y.paper_height &&
         x.orientation == y.orientation;
}

// Every document's pages in order on one writer, into `bytes`; the first
// page of each in `first_pages`.
grid::Status PaintTogether(std::span<const StripDocument> docs, const StripOverlay& overlay,
                           QByteArray& bytes, std::vector<int>& first_pages) {
  std::vector<std::vector<std::vector<std::size_t>>> pages;
  int total = 0;
  for (const StripDocument& d : docs) {
    first_pages.push_back(total);
    pages.push_back(LayOutStrips(*d.grid, d.strips));
    total += static_cast<int>(pages.back().size());
  }
  // More than a page of slips takes: growing the buffer page by page copied
  // it over and over. What is not written is never touched.
  constexpr qsizetype kPageBytes = 16 << 10;
  bytes.reserve(total * kPageBytes);
  return PaintPdf(
      *docs.front().grid,
      [&](QPainter& painter, QPagedPaintDevice& device) {
        const double scale = DeviceScale(&device);
        PaintCache cache;
        for (std::size_t d = 0; d < docs.size(); ++d) {
          // Texts and fonts are cached by style index: they stay right for
          // the next grid when its styles are the same (the same report's);
          // its merges never do.
          if (d > 0 && !(docs[d].grid->Styles() == docs[d - 1].grid->Styles()))
            cache = PaintCache();
          cache.merges.clear();
          cache.merge_reach = -1;
          for (int i = 0; i < static_cast<int>(pages[d].size()); ++i) {
            if (d > 0 || i > 0) device.newPage();
            PaintStripPage(painter, *docs[d].grid, docs[d].strips, pages[d], i, scale, &cache,
                           overlay);
          }
        }
        return true;
      },
      bytes);
}

}  // namespace

grid::Status WriteStripPdfs(std::span<const StripDocument> docs, const StripOverlay& overlay) {
  bool together = docs.size() > 1;
  for (const StripDocument& d : docs)
    together = together && !d.strips.empty() && SamePaper(*d.grid, *docs.front().grid);
  if (together) {
    QByteArray bytes;
    std::vector<int> first_pages;
    std::vector<std::string> paths;
    for (const StripDocument& d : docs) paths.push_back(d.path);
    if (PaintTogether(docs, overlay, bytes, first_pages) &&
        SplitPdf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                 first_pages, paths))
      return grid::Status::Ok();
  }
  for (const StripDocument& d : docs)
    if (const grid::Status written = WriteReportPdf(*d.grid, d.strips, d.path, {}, overlay);
        !written)
      return written;
  return grid::Status::Ok();
}

void PrintStrips(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                 QPrinter& printer, const StripOverlay& overlay, const PdfProgress& progress) {
  const auto pages = LayOutStrips(grid, strips);
  PaintCache cache;
  PrintPagesToPrinter(
      grid, printer, static_cast<int>(pages.size()),
      [&](QPainter& p, int index, double scale) {
        PaintStripPage(p, grid, strips, pages, index, scale, &cache, overlay);
      },
      progress);
}

grid::Status WriteReportPdf(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                            const std::string& path, const PdfProgress& progress,
                            const StripOverlay& overlay) {
  return strips.empty() ? WritePdf(grid, path, progress)
                        : WriteStripPdf(grid, strips, path, progress, overlay);
}

void PrintReport(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                 QPrinter& printer, const StripOverlay& overlay, const PdfProgress& progress) {
  if (strips.empty())
    PrintToPrinter(grid, printer, progress);
  else
    PrintStrips(grid, strips, printer, overlay, progress);
}

}  // namespace render
