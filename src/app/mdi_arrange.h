// The window menu's arrangements that QMdiArea lacks.
#pragma once

#include <QRect>

class QMdiArea;

namespace app {

// Where the index-th window of a cascade goes: three quarters of `area`,
// stepped down and right by a title bar's height, starting over at the top
// left before it would leave the area. New report windows open there too,
// since Qt's own placement puts them in a far corner once the area is full.
QRect CascadeSlot(const QRect& area, int index);

void Cascade(QMdiArea* mdi);  // Qt's cascade shrinks report windows to their title bars

void TileHorizontally(QMdiArea* mdi);  // one above the other, full width
void TileVertically(QMdiArea* mdi);    // side by side, full height
void ArrangeIcons(QMdiArea* mdi);      // minimised windows in a row at the bottom

}  // namespace app
