#include "app/window_position.h"

#include <QSettings>

namespace app {
namespace {

int ReadTwips(QSettings& settings, const QString& key, int fallback) {
  bool ok = false;
  const int value = settings.value(key).toString().toInt(&ok);
  return ok ? value : fallback;
}

}  // namespace

std::optional<QRect> ReadWindowPosition(QSettings& settings) {
  settings.beginGroup(QStringLiteral("Settings"));
  bool stored = false;
  for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
    stored = stored || settings.contains(QString::fromLatin1(key));
  if (!stored) {
    settings.endGroup();
    return std::nullopt;
  }
  const int left = ReadTwips(settings, QStringLiteral("MainLeft"), kDefaultPositionTwips);
  const int top = ReadTwips(settings, QStringLiteral("MainTop"), kDefaultPositionTwips);
  const int width = ReadTwips(settings, QStringLiteral("MainWidth"), kDefaultSizeTwips);
  const int height = ReadTwips(settings, QStringLiteral("MainHeight"), kDefaultSizeTwips);
  settings.endGroup();
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

QRect FirstStartGeometry(const QRect& available) {
  QRect r(0, 0, available.width() * 4 / 5, available.height() * 4 / 5);
  r.moveCenter(available.center());
  return r;
}

void WriteWindowPosition(QSettings& settings, const QRect& pixels) {
  settings.beginGroup(QStringLiteral("Settings"));
  settings.setValue(QStringLiteral("MainLeft"), QString::number(pixels.left() * kTwipsPerPixel));
  settings.setValue(QStringLiteral("MainTop"), QString::number(pixels.top() * kTwipsPerPixel));
  settings.setValue(QStringLiteral("MainWidth"), QString::number(pixels.width() * kTwipsPerPixel));
  settings.setValue(QStringLiteral("MainHeight"),
                    QString::number(pixels.height() * kTwipsPerPixel));
  settings.endGroup();
  settings.sync();
}

}  // namespace app
