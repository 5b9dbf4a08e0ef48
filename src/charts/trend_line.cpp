#include "charts/trend_line.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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
  const double rough = (high - low) / (kWantedTicks - 1);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power * 10;
  for (const double m : {1.0, 2.0, 5.0})
    if (m * power >= rough) {
      step = m * power;
      break;
    }
  if (whole) step = std::max(step, 1.0);
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

QString TickLabel(double value, bool whole) {
  if (whole || std::abs(value - std::round(value)) < 1e-9)
    return QString::number(static_cast<long long>(std::llround(value)));
  return QString::number(value, 'f', 1);
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
  const Ticks ticks = NiceTicks(low, high, data.whole_numbers);

  const double scale = device_scale > 0 ? device_scale : 1;
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(scale, scale);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setPixelSize(kLabelPixels);
  painter.setFont(font);
  const QFontMetricsF metrics(font);

  double label_width = 0;
  for (double t = ticks.low; t <= ticks.high + ticks.step / 2; t += ticks.step)
    label_width =
        std::max(label_width, metrics.horizontalAdvance(TickLabel(t, data.whole_numbers)));
  const QSizeF size = target.size() / scale;
  // The top label is centred on the top line: leave it half a line of room.
  const double top = kPad + metrics.height() / 2;
  const QRectF plot(kPad + label_width + 3, top, size.width() - 2 * kPad - label_width - 3,
                    size.height() - top - kPad - metrics.height() - 2);
  if (plot.width() <= 0 || plot.height() <= 0) {
    painter.restore();
    return;
  }
  const auto y_of = [&](double v) {
    double share = (v - ticks.low) / (ticks.high - ticks.low);
    if (data.value_axis_reversed) share = 1 - share;
    return plot.bottom() - share * plot.height();
  };
  const double slot = plot.width() / static_cast<double>(std::max<std::size_t>(values.size(), 1));
  const auto x_of = [&](std::size_t i) {
    return plot.left() + slot * (static_cast<double>(i) + 0.5);
  };

  const QColor label_color(60, 60, 60);
  for (double t = ticks.low; t <= ticks.high + ticks.step / 2; t += ticks.step) {
    const double y = y_of(t);
    painter.setPen(QPen(QColor(200, 200, 200), 0.5));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(label_color);
    painter.drawText(QRectF(kPad, y - metrics.height() / 2, label_width, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, TickLabel(t, data.whole_numbers));
  }
  painter.setPen(label_color);
  for (std::size_t i = 0; i < values.size() && i < data.categories.size(); ++i)
    painter.drawText(QRectF(x_of(i) - slot / 2, plot.bottom() + 2, slot, metrics.height()),
                     Qt::AlignCenter, QString::fromStdString(data.categories[i]));

  const QColor line_color(70, 110, 170);
  QPainterPath path;
  bool open = false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) {
      open = false;  // a missed exam breaks the line
      continue;
    }
    const QPointF p(x_of(i), y_of(values[i]));
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
    if (std::isfinite(values[i])) painter.drawEllipse(QPointF(x_of(i), y_of(values[i])), 2.5, 2.5);
  painter.restore();
}

}  // namespace charts
