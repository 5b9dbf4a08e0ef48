// Strips to be cut apart (成绩条) on paper: the report's titles at the top
// of each page as on a table's pages, then as many strips as fit between
// the margins, none split across two pages, a strip marked
// new_page (a new class) on a fresh page, and a gap between two strips on a
// page with a dashed cut line through its middle. The arithmetic is pure,
// in grid pixels like pagination.h; the painting reuses the cell painter and
// the page footer.
#pragma once

#include <QRectF>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "grid/grid_error.h"
#include "grid/report_grid.h"
#include "grid/selection.h"
#include "grid/strips.h"
#include "render/cell_painter.h"
#include "render/print.h"

class QPainter;
class QPrinter;

namespace render {

// The height of the gap between two strips, where the cut line runs.
inline constexpr double kCutGap = 24;

// The strips of each page, as indexes into `strips`: at least one page.
std::vector<std::vector<std::size_t>> LayOutStrips(const grid::ReportGrid& grid,
                                                   std::span<const grid::Strip> strips);

// Drawn over a strip once its cells are painted (a parent letter's trend
// chart, which this module cannot draw): `area` gives the rectangle on the
// device of cells of the strip, `scale` is device pixels per grid pixel.
using CellArea = std::function<QRectF(const grid::CellRect& cells)>;
using StripOverlay =
    std::function<void(QPainter& painter, const grid::ReportGrid& grid, const grid::Strip& strip,
                       const CellArea& area, double scale)>;

// Paints page `index` of `pages` (from LayOutStrips) as PaintPage does a
// table page; `cache`, when given, is kept for the pages after (see PaintCache).
void PaintStripPage(QPainter& painter, const grid::ReportGrid& grid,
                    std::span<const grid::Strip> strips,
                    const std::vector<std::vector<std::size_t>>& pages, int index, double scale,
                    PaintCache* cache = nullptr, const StripOverlay& overlay = nullptr);

// The strips to a PDF file and to a printer, as WritePdf and PrintToPrinter
// do a table. Both keep references only for the call.
grid::Status WriteStripPdf(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                           const std::string& path, const PdfProgress& progress = {},
                           const StripOverlay& overlay = nullptr);
void PrintStrips(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                 QPrinter& printer, const StripOverlay& overlay = nullptr,
                 const PdfProgress& progress = {});

// One of several documents of strips written at once by WriteStripPdfs.
struct StripDocument {
  const grid::ReportGrid* grid = nullptr;
  std::span<const grid::Strip> strips;
  std::string path;
};

// Writes each document to its own PDF file as WriteReportPdf does, but
// paints them as one document and splits it (pdf_split.h): Qt then builds
// each font's data once for all, which costs more than a small document's
// pages. Meant for many small documents with the same paper (each class's
// slips); any that cannot go together, or a split that fails, are painted
// one by one instead. Documents and files are referenced for the call only.
grid::Status WriteStripPdfs(std::span<const StripDocument> docs,
                            const StripOverlay& overlay = nullptr);

// A report to PDF or a printer: as strips when it has any, else as a table.
grid::Status WriteReportPdf(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                            const std::string& path, const PdfProgress& progress = {},
                            const StripOverlay& overlay = nullptr);
void PrintReport(const grid::ReportGrid& grid, std::span<const grid::Strip> strips,
                 QPrinter& printer, const StripOverlay& overlay = nullptr,
                 const PdfProgress& progress = {});

}  // namespace render
