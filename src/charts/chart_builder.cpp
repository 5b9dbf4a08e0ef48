#include "charts/chart_builder.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QLineSeries>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <limits>

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
  QPen pen(colors[index % 4], 2, styles[index % 4]);
  pen.setCosmetic(true);
  return pen;
}

void ApplyFill(QBarSet* set, std::size_t series) {
  const Fill f = FillOf(series);
  set->setBrush(QBrush(f.color, f.style));
  set->setPen(QPen(Qt::black, 1));
}

QFont LabelFont(double points) {
  return render::UiFont(points);
}

// The value axis, from 0 (counts, rates) or from below the lowest value,
// rounded to numbers a reader takes in at a glance.
QValueAxis* ValueAxis(const reports::ChartData& data, double low, double high) {
  auto* axis = new QValueAxis;
  if (high <= low) high = low + 1;
  axis->setRange(low, high + (high - low) * 0.05);
  axis->applyNiceNumbers();
  if (data.whole_numbers && axis->max() - axis->min() >= 4) axis->setLabelFormat("%d");
  axis->setReverse(data.value_axis_reversed);
  axis->setTitleText(Utf8(data.y_title));
  return axis;
}

QBarCategoryAxis* CategoryAxis(const reports::ChartData& data) {
  auto* axis = new QBarCategoryAxis;
  for (const std::string& c : data.categories) axis->append(Utf8(c));
  axis->setTitleText(Utf8(data.x_title));
  // Many bands: upright labels still leave each its own room.
  if (data.categories.size() > 16) axis->setLabelsAngle(-90);
  return axis;
}

// The span of the values drawn, for the value axis.
std::pair<double, double> ValueSpan(const reports::ChartData& data) {
  double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
  const auto take = [&](double v) { low = std::min(low, v), high = std::max(high, v); };
  for (const reports::ChartSeries& s : data.series)
    for (double v : s.values) take(v);
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

std::vector<QLineSeries*> LineSeries(const reports::ChartData& data) {
  std::vector<QLineSeries*> out;
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    auto* series = new QLineSeries;
    series->setName(Utf8(data.series[s].name));
    QPen pen(FillOf(s).color, 2.5, s % 2 == 0 ? Qt::SolidLine : Qt::DashLine);
    series->setPen(pen);
    const std::vector<double>& v = data.series[s].values;
    for (std::size_t i = 0; i < v.size(); ++i)
      series->append(data.shape == reports::ChartShape::kCurve ? data.x[i] : static_cast<double>(i),
                     v[i]);
    if (data.shape == reports::ChartShape::kCategoryLine) series->setLightMarker(MarkerImage(s));
    out.push_back(series);
  }
  return out;
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
    axis->setLabelsFont(LabelFont(9));
    axis->setTitleFont(LabelFont(10));
    axis->setGridLineColor(QColor(200, 200, 200));
  }
}

}  // namespace

QChart* BuildChart(const reports::ChartData& data, bool with_title) {
  auto* chart = new QChart;
  const auto [low, high] = ValueSpan(data);
  const bool from_zero = data.shape != reports::ChartShape::kBoxes && !data.value_axis_reversed;
  // Boxes start a little below the lowest score, but not below 0 for scores.
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
    for (QLineSeries* s : LineSeries(data)) {
      chart->addSeries(s);
      s->attachAxis(x);
      s->attachAxis(y);
    }
  } else {
    QBarCategoryAxis* x = CategoryAxis(data);
    chart->addAxis(x, Qt::AlignBottom);
    std::vector<QAbstractSeries*> series;
    if (data.shape == reports::ChartShape::kBoxes)
      series.push_back(BoxSeries(data));
    else if (data.shape == reports::ChartShape::kCategoryLine)
      for (QLineSeries* s : LineSeries(data)) series.push_back(s);
    else
      series.push_back(BarSeries(data));
    for (QAbstractSeries* s : series) {
      chart->addSeries(s);
      s->attachAxis(x);
      s->attachAxis(y);
    }
    AddReferenceLines(chart, data, y);
  }
  Style(chart, data, with_title);
  return chart;
}

}  // namespace charts
