#include "render/cell_painter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>
#include <tuple>
#include <unordered_map>

#include "grid/display_format.h"
#include "render/font_map.h"
#include "render/pagination.h"

namespace render {

namespace {

constexpr double kTextPaddingX = 2;  // grid pixels
constexpr double kTextPaddingY = 1;
constexpr double kGridlineWidth = 0.75;
constexpr double kThinBorder = 1;
constexpr double kThickBorder = 2;
constexpr std::size_t kMaxCachedTexts = 200000;
constexpr std::size_t kMaxCachedRuns = 50000;
// The width qt_format_text gives a line that does not wrap.
constexpr double kUnboundedLine = 0x01000000;

// Where the painted rows (or columns) lie, in grid pixels from the origin.
struct Axis {
  std::vector<int> index;  // ascending
  std::vector<double> start;
  std::vector<double> size;
  double total = 0;

  template <typename SizeOf>
  Axis(const std::vector<int>& indexes, SizeOf size_of) {
    for (int i : indexes) {
      double s = size_of(i);
      if (s <= 0) continue;
      index.push_back(i);
      start.push_back(total);
      size.push_back(s);
      total += s;
    }
  }
  int Count() const { return static_cast<int>(index.size()); }
  std::size_t At(int pos) const { return static_cast<std::size_t>(pos); }

  // The run of positions around `pos` whose indexes lie in [first, last],
  // as a start and an end offset. At full size the parts of the span outside
  // the painted ones are added at either end.
  template <typename SizeOf>
  std::pair<double, double> Span(int pos, int first, int last, bool full, SizeOf size_of) const {
    int lo = pos;
    int hi = pos;
    while (lo > 0 && index[At(lo - 1)] >= first) --lo;
    while (hi + 1 < Count() && index[At(hi + 1)] <= last) ++hi;
    double a = start[At(lo)];
    double b = start[At(hi)] + size[At(hi)];
    if (full) {
      for (int i = first; i < index[At(lo)]; ++i) a -= size_of(i);
      for (int i = index[At(hi)] + 1; i <= last; ++i) b += size_of(i);
    }
    return {a, b};
  }
};

std::vector<int> Range(int first, int last) {
  std::vector<int> out;
  for (int i = first; i <= last; ++i) out.push_back(i);
  return out;
}

QColor ToQColor(grid::Color c) {
  return QColor::fromRgb(c);
}

Qt::Alignment TextFlags(int code, std::string_view text) {
  Qt::Alignment h = Qt::AlignLeft;
  switch (grid::HorizontalOf(code)) {
    case grid::HAlign::kGeneral:
      h = grid::IsNumberText(text) ? Qt::AlignRight : Qt::AlignLeft;
      break;
    case grid::HAlign::kLeft:
      break;
    case grid::HAlign::kCenter:
      h = Qt::AlignHCenter;
      break;
    case grid::HAlign::kRight:
      h = Qt::AlignRight;
      break;
  }
  Qt::Alignment v = Qt::AlignVCenter;
  if (grid::VerticalOf(code) == grid::VAlign::kTop) v = Qt::AlignTop;
  if (grid::VerticalOf(code) == grid::VAlign::kBottom) v = Qt::AlignBottom;
  return h | v;
}

// Glyphs of many texts drawn as one run per font and colour. Underlined or
// struck-out runs are drawn at once: joined, their lines would bridge the
// gaps between cells.
class GlyphBatches {
 public:
  void Add(QPainter& p, QPointF origin, const QGlyphRun& run, const QColor& color) {
    if (run.overline() || run.underline() || run.strikeOut() || run.isRightToLeft()) {
      p.drawGlyphRun(origin, run);
      return;
    }
    auto batch = std::find_if(batches_.begin(), batches_.end(), [&](const Batch& b) {
      return b.color == color && b.font == run.rawFont();
    });
    if (batch == batches_.end())
      batch = batches_.insert(batches_.end(), Batch{run.rawFont(), color, {}, {}});
    batch->glyphs.append(run.glyphIndexes());
    for (const QPointF& at : run.positions()) batch->positions.append(at + origin);
  }

  void Draw(QPainter& p) {
    for (const Batch& b : batches_) {
      QGlyphRun run;
      run.setRawFont(b.font);
      run.setGlyphIndexes(b.glyphs);
      run.setPositions(b.positions);
      p.setPen(b.color);
      p.drawGlyphRun(QPointF(), run);
    }
    batches_.clear();
  }

 private:
  struct Batch {
    QRawFont font;
    QColor color;
    QList<quint32> glyphs;
    QList<QPointF> positions;
  };
  std::vector<Batch> batches_;
};

// Gridline segments that continue one another joined into one line each:
// the cells give two short segments apiece. A segment touching or
// overlapping the next on the same line extends it; nothing else changes.
QList<QLineF> JoinedLines(QList<QLineF> lines) {
  constexpr double kSame = 1e-6;
  for (QLineF& l : lines)
    if (l.x1() > l.x2() || l.y1() > l.y2()) l = QLineF(l.p2(), l.p1());
  // Horizontal lines by y then x; the rest (vertical) by x then y.
  auto key = [](const QLineF& l) {
    const bool flat = l.y1() == l.y2();
    return std::tuple(!flat, flat ? l.y1() : l.x1(), flat ? l.x1() : l.y1());
  };
  std::sort(lines.begin(), lines.end(),
            [&](const QLineF& a, const QLineF& b) { return key(a) < key(b); });
  QList<QLineF> joined;
  for (const QLineF& l : lines) {
    if (!joined.isEmpty()) {
      QLineF& last = joined.last();
      const bool flat = l.y1() == l.y2() && last.y1() == last.y2();
      const bool upright = l.x1() == l.x2() && last.x1() == last.x2();
      if (flat && std::abs(l.y1() - last.y1()) <= kSame && l.x1() <= last.x2() + kSame) {
        last.setP2(QPointF(std::max(last.x2(), l.x2()), last.y2()));
        continue;
      }
      if (upright && std::abs(l.x1() - last.x1()) <= kSame && l.y1() <= last.y2() + kSame) {
        last.setP2(QPointF(last.x2(), std::max(last.y2(), l.y2())));
        continue;
      }
    }
    joined.append(l);
  }
  return joined;
}

class BandPainter {
 public:
  BandPainter(QPainter& painter, const grid::ReportGrid& grid, const std::vector<int>& rows,
              const std::vector<int>& cols, QPointF origin, const PaintOptions& options)
      : p_(painter),
        grid_(grid),
        rows_(rows, [&grid](int r) { return grid.RowHeight(r); }),
        cols_(cols, [&grid](int c) { return grid.ColWidth(c); }),
        origin_(origin),
        options_(options) {}

  // Cells first, their texts gathered per font and colour, then every
  // gridline in one stroke, then the borders over them: a PDF page gets a
  // few text objects and long lines instead of a text object and two short
  // lines per cell, which is most of what the PDF writer formats and
  // compresses. A text never leaves its cell, so drawing the texts after all
  // the backgrounds covers nothing differently.
  void Paint() {
    if (rows_.Count() == 0 || cols_.Count() == 0) return;
    CollectMerges();
    p_.save();
    for (int i = 0; i < rows_.Count(); ++i)
      for (int j = 0; j < cols_.Count(); ++j) PaintCell(i, j);
    glyphs_.Draw(p_);
    if (options_.gridlines) {
      AddOuterGridlines();
      p_.setPen(GridPen());
      p_.drawLines(JoinedLines(std::move(gridlines_)));
    }
    for (const auto& [rect, style] : bordered_) PaintBorders(rect, style);
    p_.restore();
  }

 private:
  // Only the merges touching the painted rows matter; checking those few
  // keeps a long listing fast.
  void CollectMerges() {
    int first = rows_.index.front();
    int last = rows_.index.back();
    if (options_.cache == nullptr) {
      for (const grid::CellRect& m : grid_.Merges())
        if (m.last_row >= first && m.first_row <= last) merges_.push_back(m);
      return;
    }
    if (cache_.merge_reach < 0) SortMerges();
    auto m = std::lower_bound(
        cache_.merges.begin(), cache_.merges.end(), first - cache_.merge_reach,
        [](const grid::CellRect& merge, int row) { return merge.first_row < row; });
    for (; m != cache_.merges.end() && m->first_row <= last; ++m)
      if (m->last_row >= first) merges_.push_back(*m);
  }

  void SortMerges() {
    cache_.merges = grid_.Merges();
    std::sort(
        cache_.merges.begin(), cache_.merges.end(),
        [](const grid::CellRect& a, const grid::CellRect& b) { return a.first_row < b.first_row; });
    cache_.merge_reach = 0;
    for (const grid::CellRect& m : cache_.merges)
      cache_.merge_reach = std::max(cache_.merge_reach, m.last_row - m.first_row);
  }

  const grid::CellRect* MergeAt(int r, int c) const {
    for (const grid::CellRect& m : merges_)
      if (m.Contains(r, c) && !m.IsSingleCell()) return &m;
    return nullptr;
  }

  QRectF Device(double x0, double y0, double x1, double y1) const {
    double s = options_.scale;
    return QRectF(origin_.x() + x0 * s, origin_.y() + y0 * s, (x1 - x0) * s, (y1 - y0) * s);
  }

  void PaintCell(int i, int j) {
    int r = rows_.index[rows_.At(i)];
    int c = cols_.index[cols_.At(j)];
    auto row_size = [this](int k) { return grid_.RowHeight(k); };
    auto col_size = [this](int k) { return grid_.ColWidth(k); };
    QRectF rect;
    if (const grid::CellRect* m = MergeAt(r, c)) {
      // Paint a merge once per run of painted cells it covers.
      double run_y = rows_.Span(i, m->first_row, m->last_row, false, row_size).first;
      double run_x = cols_.Span(j, m->first_col, m->last_col, false, col_size).first;
      if (rows_.start[rows_.At(i)] != run_y || cols_.start[cols_.At(j)] != run_x) return;
      auto [y0, y1] =
          rows_.Span(i, m->first_row, m->last_row, options_.merges_at_full_size, row_size);
      auto [x0, x1] =
          cols_.Span(j, m->first_col, m->last_col, options_.merges_at_full_size, col_size);
      rect = Device(x0, y0, x1, y1);
      r = m->first_row;
      c = m->first_col;
    } else {
      double y = rows_.start[rows_.At(i)];
      double x = cols_.start[cols_.At(j)];
      rect = Device(x, y, x + cols_.size[cols_.At(j)], y + rows_.size[rows_.At(i)]);
    }
    const grid::CellStyle style = grid_.ResolvedStyle(r, c);
    PaintBackground(rect, style, r < grid_.FixedRows() || c < grid_.FixedCols());
    PaintText(rect, r, c, style);
    if (options_.gridlines) {
      gridlines_.append(QLineF(rect.topRight(), rect.bottomRight()));
      gridlines_.append(QLineF(rect.bottomLeft(), rect.bottomRight()));
    }
    if (std::any_of(style.borders.begin(), style.borders.end(),
                    [](int line) { return line != grid::kLineNone; }))
      bordered_.emplace_back(rect, style);
  }

  void PaintBackground(const QRectF& rect, const grid::CellStyle& style, bool fixed) {
    if (options_.black_and_white) return;
    if (style.back_color != grid::kWhite)
      p_.fillRect(rect, ToQColor(style.back_color));
    else if (fixed && options_.fixed_background)
      p_.fillRect(rect, *options_.fixed_background);
  }

  void PaintText(const QRectF& rect, int r, int c, const grid::CellStyle& style) {
    const std::string text = grid_.DisplayText(r, c);
    if (text.empty()) return;
    double s = options_.scale;
    QRectF inner =
        rect.adjusted(kTextPaddingX * s, kTextPaddingY * s, -kTextPaddingX * s, -kTextPaddingY * s);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    p_.setPen(options_.black_and_white ? QColor(Qt::black) : ToQColor(style.fore_color));
    int flags = static_cast<int>(TextFlags(style.alignment, text));
    if (style.wrap_text) flags |= Qt::TextWordWrap;
    const std::uint32_t style_index = grid_.CellStyleIndex(r, c);
    const LaidOutText* laid = LaidOut(text, flags, style_index, r, c, inner.width());
    const TextPlacement placed = laid ? PlacementIn(*laid, inner, flags)
                                      : PlacementOf(inner, flags, text, style_index, r, c);
    // Always at its own size. The layouts widen columns to their texts, so
    // only a column the user narrowed gets here clipped; its neighbours stay clean.
    if (!placed.fits) {
      p_.save();
      p_.setClipRect(rect, Qt::IntersectClip);
    }
    // Too tall, a wrapped text goes to drawText: it lays out only the lines starting inside.
    if (laid && (placed.fits || (flags & Qt::TextWordWrap) == 0)) {
      const QPointF top_left(inner.left(), inner.top() + placed.offset.y());
      for (const LaidOutText::Line& line : laid->lines) {
        // drawText aligns a line by its advance, which its bounding
        // rectangle's width (the ink) may exceed by a glyph's overhang.
        double x = 0;
        if ((flags & Qt::AlignRight) != 0) x = inner.width() - line.advance;
        if ((flags & Qt::AlignHCenter) != 0) x = (inner.width() - line.advance) / 2;
        const QPointF origin = top_left + QPointF(x, 0);
        for (const QGlyphRun& run : line.runs)
          placed.fits ? glyphs_.Add(p_, origin, run, p_.pen().color())
                      : p_.drawGlyphRun(origin, run);
      }
    } else {
      p_.setFont(FontOf(r, c));
      p_.drawText(inner, flags, Utf8(text));
    }
    if (!placed.fits) p_.restore();
  }

  // Where drawText puts a laid-out text in `inner`; it fits when at most
  // half a pixel wider or taller than the cell, as boundingRect measures it.
  static TextPlacement PlacementIn(const LaidOutText& laid, const QRectF& inner, int flags) {
    double y = 0;
    if ((flags & Qt::AlignBottom) != 0) y = inner.height() - laid.height;
    if ((flags & Qt::AlignVCenter) != 0) y = (inner.height() - laid.height) / 2;
    return {laid.width <= inner.width() + 0.5 && laid.height <= inner.height() + 0.5,
            QPointF(0, y)};
  }

  static QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  }

  // A cache key: the text, a NUL, then the numbers, comma-separated. Built in
  // one buffer kept across cells, as every cell of a page asks twice.
  std::string& KeyOf(const std::string& text, std::initializer_list<long> numbers) {
    key_.assign(text);
    key_ += '\0';
    char digits[24];
    for (long n : numbers) {
      key_.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
      key_ += ',';
    }
    return key_;
  }

  const TextPlacement& PlacementOf(const QRectF& inner, int flags, const std::string& text,
                                   std::uint32_t style, int r, int c) {
    std::string& key = KeyOf(text, {style, static_cast<long>(flags), std::lround(inner.width()),
                                    std::lround(inner.height())});
    if (auto it = cache_.placements.find(key); it != cache_.placements.end()) return it->second;
    p_.setFont(FontOf(r, c));
    const QRectF needed = p_.boundingRect(inner, flags, Utf8(text));
    TextPlacement placed;
    placed.fits = needed.width() <= inner.width() + 0.5 && needed.height() <= inner.height() + 0.5;
    placed.offset = needed.topLeft() - inner.topLeft();
    if (cache_.placements.size() >= kMaxCachedTexts) cache_.placements.clear();  // memory bounded
    return cache_.placements.emplace(key, placed).first->second;
  }

  // A text laid out as drawText lays it out (qt_format_text): lines as wide
  // as the cell when it wraps, else one unbounded line, each on the first
  // whole pixel past the one before and the leading. Null where drawText
  // must do it: no cache across calls, line breaks or tabs, edge spaces, an
  // underline (QPainter::drawGlyphRun in Qt 6.4 starts a run's underline at
  // the point it is given, not at its first glyph: an Arial cell's ideographs,
  // a run after the digits, had their line under the digits).
  const LaidOutText* LaidOut(const std::string& text, int flags, std::uint32_t style, int r, int c,
                             double width) {
    if (options_.cache == nullptr || text.find_first_of("\n\r\t") != std::string::npos ||
        text.front() == ' ' || text.back() == ' ')
      return nullptr;
    const QFont& font = FontOf(r, c);
    if (font.underline() || font.strikeOut() || font.overline()) return nullptr;
    const bool wrap = (flags & Qt::TextWordWrap) != 0;
    std::string& key =
        wrap ? KeyOf(text, {style, std::lround(width * 1024)}) : KeyOf(text, {style});
    if (auto it = cache_.texts.find(key); it != cache_.texts.end()) return &it->second;
    QTextLayout layout(Utf8(text), font, p_.device());
    const double leading = QFontMetricsF(font, p_.device()).leading();
    LaidOutText laid;
    laid.height = -leading;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(wrap ? std::max(0.0, width) : kUnboundedLine);
      laid.height = std::ceil(laid.height + leading);
      line.setPosition(QPointF(0, laid.height));
      laid.height += line.ascent() + line.descent();  // unrounded, unlike height()
      laid.width = std::max(laid.width, line.naturalTextWidth());
    }
    layout.endLayout();
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine line = layout.lineAt(i);
      laid.lines.push_back({line.glyphRuns(), line.horizontalAdvance()});
    }
    if (cache_.texts.size() >= kMaxCachedRuns) cache_.texts.clear();  // memory stays bounded
    return &cache_.texts.emplace(key, std::move(laid)).first->second;
  }

  const QFont& FontOf(int r, int c) {
    std::uint32_t key = grid_.CellStyleIndex(r, c);
    auto it = cache_.fonts.find(key);
    if (it == cache_.fonts.end())
      it = cache_.fonts.emplace(key, CellQFont(grid_, r, c, p_.device(), options_.scale)).first;
    return it->second;
  }

  QPen GridPen() const {
    QColor color = options_.black_and_white ? QColor(Qt::black) : options_.gridline_color;
    return QPen(color, std::max(1.0, kGridlineWidth * options_.scale));
  }

  void AddOuterGridlines() {
    QRectF all = Device(0, 0, cols_.total, rows_.total);
    gridlines_.append(QLineF(all.topLeft(), all.topRight()));
    gridlines_.append(QLineF(all.topLeft(), all.bottomLeft()));
  }

  void PaintBorders(const QRectF& rect, const grid::CellStyle& style) {
    auto edge = [&](int e, QPointF a, QPointF b) {
      int line = style.borders[static_cast<std::size_t>(e)];
      if (line == grid::kLineNone) return;
      double w = (line == grid::kLineThick ? kThickBorder : kThinBorder) * options_.scale;
      p_.setPen(QPen(Qt::black, w));
      p_.drawLine(a, b);
    };
    edge(grid::kEdgeLeft, rect.topLeft(), rect.bottomLeft());
    edge(grid::kEdgeTop, rect.topLeft(), rect.topRight());
    edge(grid::kEdgeRight, rect.topRight(), rect.bottomRight());
    edge(grid::kEdgeBottom, rect.bottomLeft(), rect.bottomRight());
    edge(grid::kEdgeDiagonalDown, rect.topLeft(), rect.bottomRight());
    edge(grid::kEdgeDiagonalUp, rect.bottomLeft(), rect.topRight());
  }

  QPainter& p_;
  const grid::ReportGrid& grid_;
  Axis rows_;
  Axis cols_;
  QPointF origin_;
  const PaintOptions& options_;
  std::vector<grid::CellRect> merges_;
  GlyphBatches glyphs_;
  std::string key_;
  QList<QLineF> gridlines_;
  std::vector<std::pair<QRectF, grid::CellStyle>> bordered_;
  PaintCache own_cache_;
  PaintCache& cache_ = options_.cache != nullptr ? *options_.cache : own_cache_;
};

}  // namespace

double DeviceScale(const QPaintDevice* device) {
  return device ? device->logicalDpiY() / kGridDpi : 1.0;
}

QFont DeviceFont(const grid::Font& font, const QPaintDevice* device, double scale) {
  // Qt sizes points by the device's resolution; the scale already carries
  // it, so take it out again.
  return ToQFont(font, font.size * scale / DeviceScale(device));
}

QFont CellQFont(const grid::ReportGrid& grid, int row, int col, const QPaintDevice* device,
                double scale) {
  return DeviceFont(grid.CellFont(row, col), device, scale);
}

void PaintCells(QPainter& painter, const grid::ReportGrid& grid, const grid::CellRect& cells,
                QPointF origin, const PaintOptions& options) {
  int r1 = std::max(cells.first_row, 0);
  int c1 = std::max(cells.first_col, 0);
  int r2 = std::min(cells.last_row, grid.Rows() - 1);
  int c2 = std::min(cells.last_col, grid.Cols() - 1);
  PaintBand(painter, grid, Range(r1, r2), Range(c1, c2), origin, options);
}

void PaintBand(QPainter& painter, const grid::ReportGrid& grid, const std::vector<int>& rows,
               const std::vector<int>& cols, QPointF origin, const PaintOptions& options) {
  BandPainter(painter, grid, rows, cols, origin, options).Paint();
}

}  // namespace render
