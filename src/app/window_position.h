// The main window's position in the settings store: section "Settings",
// keys MainLeft, MainTop, MainWidth, MainHeight, in twips (15 per pixel),
// written as text.
#pragma once

#include <QRect>
#include <optional>

class QSettings;

namespace app {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kDefaultPositionTwips = 1000;  // left and top
inline constexpr int kDefaultSizeTwips = 6500;      // width and height

// The stored position in pixels; a missing or unreadable key gives its
// default. nullopt when none of the four keys is stored (the first start).
std::optional<QRect> ReadWindowPosition(QSettings& settings);
// Where the main window opens on its first start: about 80 % of the screen's
// available area, centred, so that every menu of the menu bar shows.
QRect FirstStartGeometry(const QRect& available);
void WriteWindowPosition(QSettings& settings, const QRect& pixels);

}  // namespace app
