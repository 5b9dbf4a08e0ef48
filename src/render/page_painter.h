// Painting one printed page: header, report titles, the table with its
// repeated rows and columns, footer.
#pragma once

#include "render/pagination.h"

class QPainter;

namespace render {

// Paints page `index` (0-based) of `pages` with the paper's top-left corner
// at the painter's origin; `scale` is device pixels per grid pixel.
void PaintPage(QPainter& painter, const Pagination& pages, int index, double scale);

}  // namespace render
