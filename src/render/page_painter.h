// Painting one printed page: header, report titles, the table with its
// repeated rows and columns, footer.
#pragma once

#include "render/pagination.h"

#include <QRectF>

class QPainter;

namespace render {

// Paints page `index` (0-based) of `pages` with the paper's top-left corner
// at the painter's origin; `scale` is device pixels per grid pixel.
void PaintPage(QPainter& painter, const Pagination& pages, int index, double scale);

// A page whose body someone else draws (a chart): `grid` lends its report
// titles and page setup only. Paints the titles, the header and the footer
// of page 1 of 1 and returns the body's area under the titles, in device
// pixels (`scale` as for PaintPage).
QRectF PaintPageFrame(QPainter& painter, const grid::ReportGrid& grid, double scale);
// Paints `titles` one under the other from `top` (grid pixels below the top
// margin): centred on the page, or over the table's span [table_x,
// table_x + table_width] when aligned to the table. `origin` is the margins'
// corner in device pixels; `scale` device pixels per grid pixel, zoom applied.
void PaintTitleLines(QPainter& painter, const std::vector<TitleLine>& titles, double content_width,
                     double table_x, double table_width, double top, QPointF origin, double scale);

// The page setup's header and footer of page `index` of `page_count`, in
// the margins and not zoomed.
void PaintHeaderFooter(QPainter& painter, const grid::ReportGrid& grid, const PageGeometry& page,
                       int index, int page_count, double scale);

}  // namespace render
