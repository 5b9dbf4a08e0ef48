#include "render/page_painter.h"

#include <QPainter>
#include <algorithm>

#include "render/cell_painter.h"

namespace render {

namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void DrawLine(QPainter& p, const QRectF& line, Qt::Alignment align, const std::string& text,
              const grid::Font& font, double scale) {
  p.setFont(DeviceFont(font, p.device(), scale));
  p.setPen(Qt::black);
  p.drawText(line, align | Qt::AlignVCenter, Utf8(text));
}

Qt::Alignment HorizontalAlignment(int code) {
  if (code == 0) return Qt::AlignLeft;
  if (code == 2) return Qt::AlignRight;
  return Qt::AlignHCenter;
}

// Where the table block sits within the margins, in unzoomed grid pixels
// from the top-left margin corner.
struct Block {
  double x = 0;
  double y = 0;
  double table_width = 0;
  double table_height = 0;
  double titles_height = 0;
};

Block PlaceBlock(const Pagination& pages, const PagePlan& page) {
  const grid::ReportGrid& grid = pages.grid();
  const PageGeometry& g = pages.geometry();
  Block b;
  b.table_width = ColsWidth(grid, pages.left_cols()) + ColsWidth(grid, page.cols);
  b.table_height = RowsHeight(grid, pages.top_rows()) + RowsHeight(grid, page.rows) +
                   RowsHeight(grid, pages.bottom_rows());
  b.titles_height = pages.TitlesHeight(page);
  const grid::PageSettings& setup = grid.PageSetup();
  if (setup.center_horizontally) b.x = std::max(0.0, (g.ContentWidth() - b.table_width) / 2);
  if (setup.center_vertically)
    b.y = std::max(0.0, (g.ContentHeight() - b.titles_height - b.table_height) / 2);
  return b;
}

void PaintTitles(QPainter& p, const Pagination& pages, const PagePlan& page, const Block& b,
                 QPointF origin, double scale) {
  PaintTitleLines(p, pages.TitlesOn(page), pages.geometry().ContentWidth(), b.x, b.table_width, b.y,
                  origin, scale);
}

std::vector<int> Concat(const std::vector<int>& a, const std::vector<int>& b,
                        const std::vector<int>& c = {}) {
  std::vector<int> out;
  out.reserve(a.size() + b.size() + c.size());
  out.insert(out.end(), a.begin(), a.end());
  out.insert(out.end(), b.begin(), b.end());
  out.insert(out.end(), c.begin(), c.end());
  return out;
}

}  // namespace

void PaintTitleLines(QPainter& p, const std::vector<TitleLine>& titles, double content_width,
                     double table_x, double table_width, double top, QPointF origin, double scale) {
  double y = top;
  for (const TitleLine& title_line : titles) {
    const grid::ReportTitle& title = *title_line.title;
    double h = TitleLineHeight(title.font);
    // Aligned to the table, the subtitles end where its edges are.
    double x0 = title.align_to == 1 ? table_x : 0;
    double x1 = title.align_to == 1 ? table_x + table_width : content_width;
    QRectF line(origin.x() + x0 * scale, origin.y() + y * scale, (x1 - x0) * scale, h * scale);
    auto [left, right] = title.Parts();
    if (title.HasRightPart()) {
      DrawLine(p, line, Qt::AlignLeft, left, title.font, scale);
      if (title_line.stacked) line.translate(0, h * scale);
      DrawLine(p, line, Qt::AlignRight, right, title.font, scale);
    } else {
      DrawLine(p, line, Qt::AlignHCenter, left, title.font, scale);
    }
    y += title_line.height;
  }
}

void PaintHeaderFooter(QPainter& p, const grid::ReportGrid& grid, const PageGeometry& g, int index,
                       int page_count, double scale) {
  const grid::PageSettings& setup = grid.PageSetup();
  auto paint = [&](const grid::HeaderFooter& hf, bool at_top) {
    if (hf.text.empty()) return;
    std::string text = grid::ExpandPageFields(hf.text, index + 1, page_count);
    double h = grid.measurer().LineHeight(hf.font);
    double y = at_top ? g.header : g.paper_height - g.footer - h;
    QRectF line(g.left * scale, y * scale, (g.paper_width - g.left - g.right) * scale, h * scale);
    DrawLine(p, line, HorizontalAlignment(hf.alignment), text, hf.font, scale);
  };
  paint(setup.header, true);
  paint(setup.footer, false);
}

void PaintPage(QPainter& painter, const Pagination& pages, int index, double scale) {
  const PagePlan& page = pages.Page(index);
  const PageGeometry& g = pages.geometry();
  const grid::PageSettings& setup = pages.grid().PageSetup();
  Block b = PlaceBlock(pages, page);
  double content_scale = g.zoom * scale;
  QPointF origin(g.left * scale, g.top * scale);

  painter.save();
  PaintTitles(painter, pages, page, b, origin, content_scale);
  PaintOptions options;
  options.scale = content_scale;
  options.gridlines = setup.print_gridlines;
  options.gridline_color = Qt::black;
  options.black_and_white = setup.black_and_white;
  options.merges_at_full_size = false;
  QPointF table(origin.x() + b.x * content_scale,
                origin.y() + (b.y + b.titles_height) * content_scale);
  PaintBand(painter, pages.grid(), Concat(pages.top_rows(), page.rows, pages.bottom_rows()),
            Concat(pages.left_cols(), page.cols), table, options);
  PaintHeaderFooter(painter, pages.grid(), g, index, pages.PageCount(), scale);
  painter.restore();
}

QRectF PaintPageFrame(QPainter& painter, const grid::ReportGrid& grid, double scale) {
  const Pagination pages(grid);
  const PageGeometry& g = pages.geometry();
  const PagePlan& page = pages.Page(0);
  Block b;
  b.table_width = g.ContentWidth();  // the subtitles span the body
  b.titles_height = pages.TitlesHeight(page);
  const double content_scale = g.zoom * scale;
  const QPointF origin(g.left * scale, g.top * scale);
  painter.save();
  PaintTitles(painter, pages, page, b, origin, content_scale);
  PaintHeaderFooter(painter, grid, g, 0, 1, scale);
  painter.restore();
  return {origin.x(), origin.y() + b.titles_height * content_scale,
          g.ContentWidth() * content_scale,
          std::max(0.0, g.ContentHeight() - b.titles_height) * content_scale};
}

}  // namespace render
