#include "charts/trend_line.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "charts/axis_step.h"
#include "render/font_map.h"

namespace charts {
namespace {

constexpr double kPad = 8;        // logical pixels round the plot
constexpr int kLabelPixels = 12;  // 9 pt, a little under the table's text
constexpr int kWantedTicks = 4;

struct Ticks {
  double low = 0;
  double high = 1;
  double step = 1;
};

// A step of 1, 2 or 5 times a power of ten giving about kWantedTicks lines.
Ticks NiceTicks(double low, double high, bool whole) {
  if (high - low < 1e-9) {
    low -= 1;
    high += 1;
  }
  double step = RoundAxisStep((high - low) / (kWantedTicks - 1));
  if (whole) step = std::max(step, 1.0);
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

QString TickLabel(double value, bool whole) {
  if (whole || std::abs(value - std::round(value)) < 1e-9)
    return QString::number(static_cast<long long>(std::llround(value)));
  return QString::number(value, 'f', 1);
}

// Where values and categories fall in the plot area.
struct Plot {
  QRectF rect;
  Ticks ticks;
  bool reversed = false;
  double slot = 1;  // the width of one category
  double Y(double v) const {
    double share = (v - ticks.low) / (ticks.high - ticks.low);
    if (reversed) share = 1 - share;
    return rect.bottom() - share * rect.height();
  }
  double X(std::size_t i) const { return rect.left() + slot * (static_cast<double>(i) + 0.5); }
};

void PaintAxes(QPainter& painter, const Plot& plot, const reports::ChartData& data,
               double label_width) {
  const QFontMetricsF metrics(painter.font());
  const QColor label_color(60, 60, 60);
  const Ticks& ticks = plot.ticks;
  for (double t = ticks.low; t <= ticks.high + ticks.step / 2; t += ticks.step) {
    const double y = plot.Y(t);
    painter.setPen(QPen(QColor(200, 200, 200), 0.5));
    painter.drawLine(QPointF(plot.rect.left(), y), QPointF(plot.rect.right(), y));
    painter.setPen(label_color);
    painter.drawText(QRectF(kPad, y - metrics.height() / 2, label_width, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, TickLabel(t, data.whole_numbers));
  }
  const std::size_t count = data.series.front().values.size();
  for (std::size_t i = 0; i < count && i < data.categories.size(); ++i)
    painter.drawText(
        QRectF(plot.X(i) - plot.slot / 2, plot.rect.bottom() + 2, plot.slot, metrics.height()),
        Qt::AlignCenter, QString::fromStdString(data.categories[i]));
}

void PaintLine(QPainter& painter, const Plot& plot, const std::vector<double>& values) {
  const QColor line_color(70, 110, 170);
  QPainterPath path;
  bool open = false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) {
      open = false;  // a missed exam breaks the line
      continue;
    }
    const QPointF p(plot.X(i), plot.Y(values[i]));
    if (open)
      path.lineTo(p);
    else
      path.moveTo(p);
    open = true;
  }
  painter.setPen(QPen(line_color, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  painter.setBrush(line_color);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (std::isfinite(values[i]))
      painter.drawEllipse(QPointF(plot.X(i), plot.Y(values[i])), 2.5, 2.5);
}

}  // namespace

void PaintTrendLine(QPainter& painter, const QRectF& target, const reports::ChartData& data,
                    double device_scale) {
  if (target.isEmpty() || data.series.empty()) return;
  const std::vector<double>& values = data.series.front().values;
  double low = INFINITY, high = -INFINITY;
  for (const double v : values)
    if (std::isfinite(v)) {
      low = std::min(low, v);
      high = std::max(high, v);
    }
  if (!std::isfinite(low)) return;
  Plot plot;
  plot.ticks = NiceTicks(low, high, data.whole_numbers);
  plot.reversed = data.value_axis_reversed;

  const double scale = device_scale > 0 ? device_scale : 1;
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(scale, scale);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = render::UiFont(9);  // the charts' face; sized in pixels under the scale
  font.setPixelSize(kLabelPixels);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  double label_width = 0;
  for (double t = plot.ticks.low; t <= plot.ticks.high + plot.ticks.step / 2; t += plot.ticks.step)
    label_width =
        std::max(label_width, metrics.horizontalAdvance(TickLabel(t, data.whole_numbers)));
  const QSizeF size = target.size() / scale;
  // The top label is centred on the top line: leave it half a line of room.
  const double top = kPad + metrics.height() / 2;
  plot.rect = QRectF(kPad + label_width + 3, top, size.width() - 2 * kPad - label_width - 3,
                     size.height() - top - kPad - metrics.height() - 2);
  plot.slot = plot.rect.width() / static_cast<double>(std::max<std::size_t>(values.size(), 1));
  if (plot.rect.width() > 0 && plot.rect.height() > 0) {
    PaintAxes(painter, plot, data, label_width);
    PaintLine(painter, plot, values);
  }
  painter.restore();
}

}  // namespace charts
