#include "charts/chart_builder.h"
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QStackedBarSeries>
#include <QTextDocument>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "charts/axis_step.h"
#include "render/font_map.h"

namespace charts {
namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Fills that differ in pattern as well as in shade, the first a plain one.
struct Fill {
  Qt::BrushStyle style;
  QColor color;
};
constexpr int kFillCount = 8;
Fill FillOf(std::size_t series) {
  static const Fill fills[kFillCount] = {
      {Qt::SolidPattern, QColor(70, 110, 170)}, {Qt::BDiagPattern, QColor(190, 80, 40)},
      {Qt::CrossPattern, QColor(40, 130, 70)},  {Qt::Dense5Pattern, QColor(120, 60, 150)},
      {Qt::FDiagPattern, QColor(160, 120, 20)}, {Qt::DiagCrossPattern, QColor(30, 30, 30)},
      {Qt::HorPattern, QColor(20, 120, 140)},   {Qt::VerPattern, QColor(150, 40, 90)},
  };
  return fills[series % kFillCount];
}

// Reference lines: dark, each in a dash style of its own.
QPen ReferencePen(std::size_t index) {
  static const Qt::PenStyle styles[] = {Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                        Qt::DashDotDotLine};
  static const QColor colors[] = {QColor(180, 0, 0), QColor(0, 90, 0), QColor(0, 0, 160),
                                  QColor(90, 90, 90)};
  // Not cosmetic: a cosmetic pen's dashes are measured in device pixels,
  // which at a PDF's 1200 dpi are too short to see, and the line prints solid.
  return QPen(colors[index % 4], 2, styles[index % 4]);
}

void ApplyFill(QBarSet* set, std::size_t series) {
  const Fill f = FillOf(series);
  set->setBrush(QBrush(f.color, f.style));
  set->setPen(QPen(Qt::black, 1));
}

QFont LabelFont(double points) {
  return render::UiFont(points);
}

constexpr double kAxisLabelPoints = 9;  // the axes' labels

// A step of 1, 2 or 5 times a power of ten giving five to eight ticks.
double NiceStep(double span) {
  return RoundAxisStep(std::max(span / 8, 1.0));
}

// Ranks: 1 at the top with half a place above it so its marker shows whole,
// ticks on whole places (1, 2, 3 or 100, 200, ...).
void RankAxis(QValueAxis* axis, double high) {
  axis->setRange(0.5, std::max(high, 1.0) + 0.5 + (high - 1) * 0.05);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(NiceStep(high));
  axis->setReverse(true);
}

// The value axis, from 0 (counts, rates) or from below the lowest value,
// rounded to numbers a reader takes in at a glance.
QValueAxis* ValueAxis(const reports::ChartData& data, double low, double high) {
  auto* axis = new QValueAxis;
  if (high <= low) high = low + 1;
  if (data.value_axis_reversed) {
    RankAxis(axis, high);
  } else {
    axis->setRange(low, high + (high - low) * 0.05);
    axis->applyNiceNumbers();
  }
  if (data.whole_numbers) {
    // Whole steps only: a count of 2.5 means nothing.
    if (!data.value_axis_reversed && axis->max() - axis->min() < 4) {
      const double lo = std::floor(axis->min()), hi = std::max(std::ceil(axis->max()), lo + 1);
      axis->setRange(lo, hi);
      axis->setTickCount(static_cast<int>(hi - lo) + 1);
    }
    axis->setLabelFormat("%d");
  }
  axis->setTitleText(Utf8(data.y_title));
  return axis;
}

QBarCategoryAxis* CategoryAxis(const reports::ChartData& data) {
  auto* axis = new QBarCategoryAxis;
  for (const std::string& c : data.categories) axis->append(Utf8(c));
  axis->setTitleText(Utf8(data.x_title));
  return axis;
}

// A label's size as Qt Charts lays it out: a text item with half a pixel of
// margin, whose line height is that of the tallest face the text falls back
// to (the Chinese one), more than the label font's own metrics say.
QSizeF LabelSize(const QFont& font, const QString& text) {
  QGraphicsTextItem probe;
  probe.document()->setDocumentMargin(0.5);
  probe.setFont(font);
  probe.setPlainText(text);
  return probe.boundingRect().size();
}

// Category labels never overlap: level while the widest fits its
// category's width, else upright, and upright in a smaller face (not below
// 5 points) when even the line height does not fit; past that (hundreds of
// classes on one picture) none is shown, since Qt Charts would draw only
// ellipses. Redone whenever the plot area changes, since the window and the
// picture size decide the room.
void FitCategoryLabels(QChart* chart, QBarCategoryAxis* axis) {
  QObject::connect(chart, &QChart::plotAreaChanged, axis, [axis](const QRectF& area) {
    const QStringList labels = axis->categories();
    if (labels.isEmpty() || area.width() <= 0) return;
    // Qt Charts gives each label the plot's width over the ticks (one more
    // than the categories) less 4 pixels on each side, else elides it.
    const double room = area.width() / static_cast<double>(labels.size() + 1) - 8;
    QFont font = LabelFont(kAxisLabelPoints);
    // The widest by the font's metrics, then laid out once as Qt Charts
    // would: one text layout, not one per class.
    const QFontMetricsF metrics(font);
    const QString* widest = &labels.front();
    for (const QString& label : labels)
      if (metrics.horizontalAdvance(label) > metrics.horizontalAdvance(*widest)) widest = &label;
    const QSizeF largest = LabelSize(font, *widest);
    const int angle = largest.width() <= room ? 0 : -90;
    if (angle != 0 && largest.height() > room)
      font.setPointSizeF(std::max(5.0, kAxisLabelPoints * 0.9 * room / largest.height()));
    const bool shown = angle == 0 || LabelSize(font, *widest).height() <= room;
    if (axis->labelsAngle() != angle) axis->setLabelsAngle(angle);
    if (axis->labelsFont() != font) axis->setLabelsFont(font);
    if (axis->labelsVisible() != shown) axis->setLabelsVisible(shown);
  });
}

// The span of the values drawn, for the value axis.
std::pair<double, double> ValueSpan(const reports::ChartData& data) {
  double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
  const auto take = [&](double v) { low = std::min(low, v), high = std::max(high, v); };
  for (const reports::ChartSeries& s : data.series)
    for (double v : s.values)
      if (!std::isnan(v)) take(v);
  for (const stats::BoxSummary& b : data.boxes) take(b.lowest), take(b.highest);
  for (const reports::ChartLine& l : data.horizontal_lines) take(l.position);
  if (low > high) return {0, 1};
  return {low, high};
}

// A line series through two points on a hidden axis that spans the
// categories as the category axis does (-0.5 to n - 0.5).
void AddReferenceLine(QChart* chart, QValueAxis* hidden_x, QValueAxis* y,
                      const reports::ChartLine& line, bool vertical, std::size_t index) {
  auto* series = new QLineSeries;
  series->setName(Utf8(line.name));
  series->setPen(ReferencePen(index));
  if (vertical) {
    series->append(line.position, y->min());
    series->append(line.position, y->max());
  } else {
    series->append(hidden_x->min(), line.position);
    series->append(hidden_x->max(), line.position);
  }
  chart->addSeries(series);
  series->attachAxis(hidden_x);
  series->attachAxis(y);
}

void AddReferenceLines(QChart* chart, const reports::ChartData& data, QValueAxis* y) {
  if (data.vertical_lines.empty() && data.horizontal_lines.empty()) return;
  auto* hidden_x = new QValueAxis;
  hidden_x->setRange(-0.5, static_cast<double>(data.categories.size()) - 0.5);
  hidden_x->setVisible(false);
  chart->addAxis(hidden_x, Qt::AlignBottom);
  std::size_t index = 0;
  for (const reports::ChartLine& line : data.vertical_lines)
    AddReferenceLine(chart, hidden_x, y, line, true, index++);
  for (const reports::ChartLine& line : data.horizontal_lines)
    AddReferenceLine(chart, hidden_x, y, line, false, index++);
}

QAbstractSeries* BarSeries(const reports::ChartData& data) {
  QAbstractBarSeries* bars = data.shape == reports::ChartShape::kSeriesBars
                                 ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries)
                                 : new QBarSeries;
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    auto* set = new QBarSet(Utf8(data.series[s].name));
    for (double v : data.series[s].values) set->append(v);
    ApplyFill(set, s);
    bars->append(set);
  }
  bars->setBarWidth(data.shape == reports::ChartShape::kBars && data.series.size() == 1 ? 0.9
                                                                                        : 0.7);
  return bars;
}

QAbstractSeries* BoxSeries(const reports::ChartData& data) {
  auto* series = new QBoxPlotSeries;
  series->setName(QStringLiteral("班级"));
  const Fill f = FillOf(0);
  series->setBrush(QBrush(f.color.lighter(150), Qt::Dense5Pattern));
  series->setPen(QPen(Qt::black, 1.5));
  for (std::size_t i = 0; i < data.boxes.size(); ++i) {
    const stats::BoxSummary& b = data.boxes[i];
    series->append(new QBoxSet(b.lowest, b.lower_quartile, b.median, b.upper_quartile, b.highest,
                               Utf8(data.categories[i])));
  }
  return series;
}

// Marker images for the lines through categories: circle, square, triangle, …
QImage MarkerImage(std::size_t series) {
  QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1.2));
  p.setBrush(FillOf(series).color);
  switch (series % 4) {
    case 0:
      p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
      break;
    case 1:
      p.drawRect(QRectF(1.5, 1.5, 9, 9));
      break;
    case 2:
      p.drawPolygon(QPolygonF({QPointF(6, 1), QPointF(11, 11), QPointF(1, 11)}));
      break;
    default:
      p.drawPolygon(QPolygonF({QPointF(6, 1), QPointF(11, 6), QPointF(6, 11), QPointF(1, 6)}));
  }
  return image;
}

// A line through each series' points; a NaN breaks it (an exam the student
// missed), so one series may be drawn as several pieces, all but the first
// left out of the legend.
struct LinePiece {
  QLineSeries* series;
  bool continues;  // a later piece of a series already in the legend
};

std::vector<LinePiece> LineSeries(const reports::ChartData& data) {
  std::vector<LinePiece> out;
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    QLineSeries* piece = nullptr;
    bool first = true;
    const std::vector<double>& v = data.series[s].values;
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (std::isnan(v[i])) {
        piece = nullptr;
        continue;
      }
      if (piece == nullptr) {
        piece = new QLineSeries;
        piece->setName(Utf8(data.series[s].name));
        piece->setPen(QPen(FillOf(s).color, 2.5, s % 2 == 0 ? Qt::SolidLine : Qt::DashLine));
        if (data.shape == reports::ChartShape::kCategoryLine) {
          piece->setLightMarker(MarkerImage(s));
          piece->setMarkerSize(11);
        }
        out.push_back({piece, !first});
        first = false;
      }
      piece->append(data.shape == reports::ChartShape::kCurve ? data.x[i] : static_cast<double>(i),
                    v[i]);
    }
  }
  return out;
}

void AddLines(QChart* chart, const reports::ChartData& data, QAbstractAxis* x, QAbstractAxis* y) {
  for (const LinePiece& piece : LineSeries(data)) {
    chart->addSeries(piece.series);
    piece.series->attachAxis(x);
    piece.series->attachAxis(y);
    if (piece.continues)
      for (QLegendMarker* marker : chart->legend()->markers(piece.series))
        marker->setVisible(false);
  }
}

// The notice of a chart that cannot be drawn, centred on the plot area
// wherever the layout puts it.
void AddNotice(QChart* chart, const std::string& notice) {
  auto* text = new QGraphicsSimpleTextItem(Utf8(notice), chart);
  text->setFont(LabelFont(14));
  text->setBrush(QColor(60, 60, 60));
  QObject::connect(chart, &QChart::plotAreaChanged, chart, [text](const QRectF& area) {
    text->setPos(area.center() - text->boundingRect().center());
  });
}

void Style(QChart* chart, const reports::ChartData& data, bool with_title) {
  chart->setBackgroundBrush(Qt::white);
  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->setAnimationOptions(QChart::NoAnimation);
  if (with_title) {
    chart->setTitle(Utf8(data.title));
    chart->setTitleFont(render::ToQFont(grid::Font{"宋体", 16, true}, 16));
  }
  chart->legend()->setFont(LabelFont(10));
  chart->legend()->setAlignment(Qt::AlignBottom);
  const bool one_series = data.series.size() + (data.boxes.empty() ? 0 : 1) <= 1;
  chart->legend()->setVisible(!one_series || !data.vertical_lines.empty() ||
                              !data.horizontal_lines.empty());
  for (QAbstractAxis* axis : chart->axes()) {
    axis->setLabelsFont(LabelFont(kAxisLabelPoints));
    axis->setTitleFont(LabelFont(10));
    axis->setGridLineColor(QColor(200, 200, 200));
  }
}

}  // namespace

QChart* BuildChart(const reports::ChartData& data, bool with_title) {
  auto* chart = new QChart;
  const auto [low, high] = ValueSpan(data);
  // Counts and rates from 0; boxes and trends (where the differences are the
  // point) a little below the lowest value, but not below 0 for scores.
  const bool from_zero =
      data.shape != reports::ChartShape::kBoxes && data.shape != reports::ChartShape::kCategoryLine;
  const double below =
      low >= 0 ? std::max(0.0, low - (high - low) * 0.05) : low - (high - low) * 0.05;
  QValueAxis* y = ValueAxis(data, from_zero ? std::min(0.0, low) : below, high);
  chart->addAxis(y, Qt::AlignLeft);
  if (data.shape == reports::ChartShape::kCurve) {
    auto* x = new QValueAxis;
    if (!data.x.empty())
      x->setRange(data.x.front(),
                  data.x.back() > data.x.front() ? data.x.back() : data.x.front() + 1);
    x->applyNiceNumbers();
    x->setLabelFormat("%g");
    x->setTitleText(Utf8(data.x_title));
    chart->addAxis(x, Qt::AlignBottom);
    AddLines(chart, data, x, y);
  } else {
    QBarCategoryAxis* x = CategoryAxis(data);
    chart->addAxis(x, Qt::AlignBottom);
    FitCategoryLabels(chart, x);
    if (data.shape == reports::ChartShape::kCategoryLine) {
      AddLines(chart, data, x, y);
    } else {
      QAbstractSeries* series =
          data.shape == reports::ChartShape::kBoxes ? BoxSeries(data) : BarSeries(data);
      chart->addSeries(series);
      series->attachAxis(x);
      series->attachAxis(y);
    }
    AddReferenceLines(chart, data, y);
  }
  if (!data.notice.empty()) AddNotice(chart, data.notice);
  Style(chart, data, with_title);
  return chart;
}

}  // namespace charts
