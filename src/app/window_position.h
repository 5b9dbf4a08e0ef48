// The main window's position in the settings store: section "Settings",
// keys MainLeft, MainTop, MainWidth, MainHeight, in twips (15 per pixel),
// written as text.
#pragma once

#include <QRect>

class QSettings;

namespace app {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kDefaultPositionTwips = 1000;  // left and top
inline constexpr int kDefaultSizeTwips = 6500;      // width and height

// The stored position in pixels; a missing or unreadable key gives its default.
QRect ReadWindowPosition(QSettings& settings);
void WriteWindowPosition(QSettings& settings, const QRect& pixels);

}  // namespace app
