// A paint device that keeps what is painted on it instead of pixels: every
// text with its font size and whether it was clipped, and the lines. The
// render tests read printed pages through it.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QString>
#include <memory>
#include <vector>

namespace render_test {

struct DrawnText {
  QString text;
  double point_size = 0;  // as the device's resolution sees it
  QRectF rect;            // device pixels: the advance, ascent to descent
  bool clipped = false;   // drawn under a clip: part of it may be cut
};

class RecordingEngine : public QPaintEngine {
 public:
  RecordingEngine();
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawTextItem(const QPointF& p, const QTextItem& item) override;
  void drawLines(const QLineF* lines, int count) override;
  void drawRects(const QRectF*, int) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  Type type() const override { return QPaintEngine::User; }

  std::vector<DrawnText> texts;
  int lines = 0;
};

// A page of `width` x `height` device pixels at `dpi`.
class RecordingDevice : public QPaintDevice {
 public:
  RecordingDevice(int width, int height, int dpi);
  ~RecordingDevice() override;
  QPaintEngine* paintEngine() const override { return engine_.get(); }
  RecordingEngine& engine() { return *engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  int width_, height_, dpi_;
  std::unique_ptr<RecordingEngine> engine_;
};

}  // namespace render_test
