#include "app/qt_clipboard.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>

#include "app/qt_convert.h"

namespace app {

std::string QtClipboard::Text() const {
  return Std(QGuiApplication::clipboard()->text());
}

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(Qs(text));
}

int QtTextMeasurer::TextWidth(std::string_view text, const grid::Font& font) const {
  const QFontMetrics metrics(QtFontOf(font));
  int widest = 0;
  for (const QString& line : Qs(text).split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

}  // namespace app
