#include "app/qt_clipboard.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/qt_convert.h"

namespace app {

std::string QtClipboard::Text() const {
  return Std(QGuiApplication::clipboard()->text());
}

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(Qs(text));
}

namespace {

// Qt adds advances in 64ths of a pixel and rounds the sum: the advance of
// every digit in 64ths, or 0 when the font's digits differ in width or some
// pair of them is kerned.
int FixedDigitAdvance(const QFontMetricsF& metrics) {
  const qreal width = metrics.horizontalAdvance(QStringLiteral("0"));
  if (width <= 0) return 0;
  for (char a = '0'; a <= '9'; ++a) {
    if (metrics.horizontalAdvance(QString(QChar(a))) != width) return 0;
    for (char b = '0'; b <= '9'; ++b) {
      const QString pair = QString(QChar(a)) + QChar(b);
      if (metrics.horizontalAdvance(pair) != 2 * width) return 0;
    }
  }
  return static_cast<int>(std::lround(width * 64));
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

struct QtTextMeasurer::Face {
  explicit Face(const grid::Font& font)
      : metrics(QtFontOf(font)), digit_advance(FixedDigitAdvance(QFontMetricsF(QtFontOf(font)))) {}
  QFontMetrics metrics;
  int digit_advance;  // in 64ths of a pixel
};

QtTextMeasurer::QtTextMeasurer() = default;
QtTextMeasurer::~QtTextMeasurer() = default;

const QtTextMeasurer::Face& QtTextMeasurer::FaceFor(const grid::Font& font) const {
  // A report uses a handful of fonts: a list searched in order is enough.
  for (const auto& [known, face] : faces_)
    if (known == font) return *face;
  faces_.emplace_back(font, std::make_unique<Face>(font));
  return *faces_.back().second;
}

int QtTextMeasurer::TextWidth(std::string_view text, const grid::Font& font) const {
  if (text.empty()) return 0;
  const Face& face = FaceFor(font);
  if (face.digit_advance > 0 && AllDigits(text))
    return static_cast<int>((std::int64_t{face.digit_advance} * std::ssize(text) + 32) / 64);
  if (text.find('\n') == std::string_view::npos) return face.metrics.horizontalAdvance(Qs(text));
  int widest = 0;
  for (const QString& line : Qs(text).split(QLatin1Char('\n')))
    widest = std::max(widest, face.metrics.horizontalAdvance(line));
  return widest;
}

}  // namespace app
