// Output of a whole report: PDF, printer, print preview. All of them lay the
// grid out with Pagination and paint each page with PaintPage.
#pragma once

#include <functional>
#include <string>

#include "common/progress.h"
#include "grid/grid_error.h"
#include "grid/report_grid.h"

class QByteArray;
class QGuiApplication;
class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace render {

// Fonts and painting need a QGuiApplication. The command-line tool calls
// this first: it creates one (on the offscreen platform when no display is
// set) unless one exists; it lives until the program ends. `make` creates
// it when something needs more (the charts, a QApplication).
using MakeApplication = QGuiApplication* (*)(int& argc, char** argv);
void EnsureGuiApplication(MakeApplication make = nullptr);

// How far a long PDF or print has got: pages painted of all, reported to
// `sink`; `cancelled`, asked before each page, stops it: no PDF file is
// written, and the print job is aborted.
struct PdfProgress {
  common::ProgressSink* sink = nullptr;
  std::function<bool()> cancelled = nullptr;
};

// The message of a PDF the user stopped.
inline constexpr const char* kPdfCancelled = "已取消输出PDF";

// Number of pages the grid prints on with its page setup.
int PageCount(const grid::ReportGrid& grid);

// Writes the report to a PDF file, its text extractable. Needs a
// QGuiApplication (see EnsureGuiApplication). Fails with a Chinese message
// when the file cannot be written, or with kPdfCancelled. The file is
// written only once every page is painted.
grid::Status WritePdf(const grid::ReportGrid& grid, const std::string& path,
                      const PdfProgress& progress = {});

// The same for pages someone else paints: the paper and orientation from
// `layout`'s page setup, then `paint` draws on the PDF's painter (calling
// newPage between pages) and returns false when it could not.
grid::Status WritePdfWith(const grid::ReportGrid& layout, const std::string& path,
                          const std::function<bool(QPainter&, QPagedPaintDevice&)>& paint);

// The same into `bytes` (the PDF's text map repaired, pdf_text_map.h).
grid::Status PaintPdf(const grid::ReportGrid& layout,
                      const std::function<bool(QPainter&, QPagedPaintDevice&)>& paint,
                      QByteArray& bytes);

// Pages painted by a PagePainter (page index from 0, device pixels per grid
// pixel) to a PDF with `layout`'s page setup, as WritePdf writes a table.
// A long document is painted in parts at once, each by its own writer on its
// own thread, and the parts joined (pdf_join.h); should that fail for any
// reason but a cancel, it is painted again on one writer. `make_painter` is
// called on the caller's thread once per writer, and each painter it makes
// is used on one thread only: it may keep a cache of its own, but what the
// painters share must bear being read from several threads at once.
using PagePainter = std::function<void(QPainter& painter, int index, double scale)>;
using PagePainterMaker = std::function<PagePainter()>;
grid::Status WritePagesPdf(const grid::ReportGrid& layout, const std::string& path, int page_count,
                           const PagePainterMaker& make_painter, const PdfProgress& progress = {});
// The same in exactly `parts` parts (1: on one writer), without falling
// back: for tests and measurements.
grid::Status WritePagesPdfInParts(const grid::ReportGrid& layout, const std::string& path,
                                  int page_count, int parts, const PagePainterMaker& make_painter,
                                  const PdfProgress& progress = {});

// Paper size, orientation and no device margins from the grid's page setup:
// the pages carry their own margins.
void ApplyPageLayout(const grid::ReportGrid& grid, QPagedPaintDevice& device);

// Prints every page (or the printer's chosen page range) on `printer`,
// after applying the page layout. Also what a print preview asks for.
void PrintToPrinter(const grid::ReportGrid& grid, QPrinter& printer,
                    const PdfProgress& progress = {});

// Prints pages painted by `paint` (page index from 0, device pixels per
// grid pixel) as PrintToPrinter does a table: the strips of strip_layout.h.
void PrintPagesToPrinter(const grid::ReportGrid& grid, QPrinter& printer, int page_count,
                         const PagePainter& paint, const PdfProgress& progress = {});

// A handler for QPrintPreviewDialog/QPrintPreviewWidget::paintRequested:
//   connect(preview, &QPrintPreviewWidget::paintRequested,
//           render::PreviewHandler(grid));
// The grid must outlive the preview.
std::function<void(QPrinter*)> PreviewHandler(const grid::ReportGrid& grid);

}  // namespace render
