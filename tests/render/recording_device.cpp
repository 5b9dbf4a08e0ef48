#include "recording_device.h"

#include <QPainter>
#include <QTextItem>

namespace render_test {

RecordingEngine::RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

void RecordingEngine::drawTextItem(const QPointF& p, const QTextItem& item) {
  DrawnText t;
  t.text = item.text();
  t.point_size = item.font().pointSizeF();
  const QTransform& m = painter()->worldTransform();
  t.rect =
      m.mapRect(QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
  t.clipped = painter()->hasClipping();
  texts.push_back(t);
}

void RecordingEngine::drawLines(const QLineF*, int count) {
  lines += count;
}

RecordingDevice::RecordingDevice(int width, int height, int dpi)
    : width_(width), height_(height), dpi_(dpi), engine_(std::make_unique<RecordingEngine>()) {}

RecordingDevice::~RecordingDevice() = default;

int RecordingDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth:
      return width_;
    case PdmHeight:
      return height_;
    case PdmWidthMM:
      return width_ * 254 / dpi_ / 10;
    case PdmHeightMM:
      return height_ * 254 / dpi_ / 10;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return dpi_;
    case PdmDepth:
      return 32;
    case PdmNumColors:
      return 1 << 24;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return static_cast<int>(devicePixelRatioFScale());
    default:
      return 0;
  }
}

}  // namespace render_test
