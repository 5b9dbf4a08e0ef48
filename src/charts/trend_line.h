// A small line chart drawn with the painter alone: the trend on a parent
// letter. Unlike PaintChart it builds no chart widgets, so it is cheap
// (the letters of a county hold tens of thousands) and safe on any thread
// (the pack paints its classes on every core).
#pragma once

#include <QRectF>

#include "reports/chart_data.h"

class QPainter;

namespace charts {

// Draws the first series of a kCategoryLine `data` into `target`: value
// gridlines with their labels, the categories below, the line broken at a
// NaN (an exam the student missed) and a dot on each value. `device_scale`
// is the device's pixels per 96-dpi pixel, so that texts keep their size on
// paper. Nothing is drawn when no value is a number.
void PaintTrendLine(QPainter& painter, const QRectF& target, const reports::ChartData& data,
                    double device_scale);

}  // namespace charts
