// Painting grid cells onto any QPainter: the desktop grid view, the print
// preview, the printer and PDF all use these, so a cell prints as it shows.
//
// Coordinates: the grid's sizes are pixels at 96 dpi; `scale` says how many
// device pixels one grid pixel becomes (1 on a 96-dpi screen at 100 %,
// 12.5 on a 1200-dpi PDF). Fonts follow the same scale.
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "grid/report_grid.h"

class QPainter;
class QPaintDevice;

namespace render {

// Where a text lands in its cell, relative to the cell's inner top-left.
struct TextPlacement {
  bool fits = true;
  QPointF offset;
};

// A text laid out with its first line at the origin: each line's glyphs
// and advance (drawText aligns a line by it), and the extent drawText gives
// the whole (the widest line's natural width, the lines' height).
struct LaidOutText {
  struct Line {
    QList<QGlyphRun> runs;
    double advance = 0;
  };
  std::vector<Line> lines;
  double width = 0;
  double height = 0;
};

// What painting learns of a grid's fonts and texts, kept by a caller that
// paints many bands of one grid on one device at one scale (the strips of a
// PDF), so that each is worked out once. It must not be used with another
// grid, device or scale. With it, a one-line text is laid out once and then
// drawn from its glyphs: a page of strips repeats its headings and most of
// its figures, and laying a text out costs far more than drawing it.
struct PaintCache {
  std::unordered_map<std::uint32_t, QFont> fonts;             // by style index
  std::unordered_map<std::string, TextPlacement> placements;  // by text, style, flags, cell size
  std::unordered_map<std::string, LaidOutText> texts;         // by text, style and, wrapped, width
  // The grid's merges by first row and the most rows one spans less one (-1
  // until gathered): a band finds its few among a province's many.
  std::vector<grid::CellRect> merges;
  int merge_reach = -1;
};

struct PaintOptions {
  double scale = 1;
  bool gridlines = true;
  QColor gridline_color = QColor(192, 192, 192);
  // Every text and line black, no fills: the page setup's 单色打印.
  bool black_and_white = false;
  // On screen the fixed rows and columns sit on a button-face background;
  // printed they stay white.
  std::optional<QColor> fixed_background;
  // A merged cell reaching outside the painted cells: true lays it out at
  // its full size (the screen, so its text stays put while scrolling); false
  // fits it into the painted cells (a page, so each page shows its text).
  bool merges_at_full_size = true;
  // Kept across calls when set; else each call works its fonts and fits out anew.
  PaintCache* cache = nullptr;
};

// Paints the cells of `cells` with the top-left corner of its first cell at
// `origin` (device pixels). Hidden rows and columns take no space. The view
// calls it for the visible cells only, once for the fixed rows and columns
// and once for the scrolled part.
void PaintCells(QPainter& painter, const grid::ReportGrid& grid, const grid::CellRect& cells,
                QPointF origin, const PaintOptions& options);

// The same for any rows and columns laid side by side in the given order, as
// a page stacks its repeated title rows above its body rows.
void PaintBand(QPainter& painter, const grid::ReportGrid& grid, const std::vector<int>& rows,
               const std::vector<int>& cols, QPointF origin, const PaintOptions& options);

// The font of a cell as painted on `device` at `scale`.
QFont CellQFont(const grid::ReportGrid& grid, int row, int col, const QPaintDevice* device,
                double scale);

// A grid font on `device` at `scale`: its points grow with the scale and are
// corrected for the device's resolution.
QFont DeviceFont(const grid::Font& font, const QPaintDevice* device, double scale);

// Device pixels per grid pixel for a device (its resolution over 96 dpi).
double DeviceScale(const QPaintDevice* device);

}  // namespace render
