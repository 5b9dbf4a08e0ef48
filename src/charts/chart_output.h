// Writing a chart out: a PNG or SVG picture of a given size, a PDF page and
// the printer. A printed chart (PDF, printer, preview) sits on a page laid
// out like a report's: the paper, margins, title lines from the stored
// settings and the footer come from a page grid (ChartPage) that the
// desktop's page setup may change; the chart fills the space under the
// titles. Nothing here throws: a failure is a Status with a Chinese message.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <span>
#include <string>

#include "data/app_state.h"
#include "grid/grid_error.h"
#include "grid/report_grid.h"
#include "output/report_layout.h"
#include "render/strip_layout.h"
#include "reports/chart_data.h"
#include "reports/class_pack.h"

class QPainter;
class QPrinter;

namespace charts {

// Charts are graphics widgets and need a QApplication, not only a
// QGuiApplication. The command-line tool calls this first: it creates one
// (offscreen when no display is set) unless one exists.
void EnsureChartApplication();

// The default size of a picture: a projector's 16:10.
inline constexpr QSize kDefaultPictureSize{1600, 1000};

// Paints the chart into `target` of `painter`, laid out as if the target
// were `target` / `device_scale` pixels at 96 dpi, so that texts keep their
// size on a printer. The result slips use it to put a chart in a rectangle.
void PaintChart(QPainter& painter, const QRectF& target, const reports::ChartData& data,
                double device_scale = 1, bool with_title = true);

// The strip overlay (render/strip_layout.h) that draws a parent letter's
// trend chart (reports::FindTrendFigure) over the cells its table marks; a
// strip without one is left alone. Safe on any thread (PaintTrendLine).
void PaintStripFigures(QPainter& painter, const grid::ReportGrid& grid, const grid::Strip& strip,
                       const render::CellArea& area, double scale);

// The pack's renderer (reports/class_pack.h): each job's strips to its PDF
// file, painted together and split (render::WriteStripPdfs), with the
// letters' trend charts.
grid::Status WritePackPdfs(std::span<const reports::PdfJob> jobs);

// The picture as PNG bytes; empty when it cannot be made.
QByteArray PngBytes(const reports::ChartData& data, QSize size = kDefaultPictureSize);

// By the file's ending: .png (at `size`), .svg (`size` as its view box) or
// .pdf (one page of `page`).
grid::Status WriteChart(const reports::ChartData& data, const grid::ReportGrid& page,
                        const std::string& path, QSize size = kDefaultPictureSize);

// The page a printed chart sits on: the two report title lines (the chart's
// title and the subtitles with the date as the settings say), landscape, the
// report margins and the footer "共&n页  第&p页".
grid::ReportGrid ChartPage(const reports::ChartData& data, const data::TitleSettings& titles,
                           output::Date today);

// Prints the chart on one page of `printer` with `page`'s layout.
void PrintChart(const reports::ChartData& data, const grid::ReportGrid& page, QPrinter& printer);

}  // namespace charts
