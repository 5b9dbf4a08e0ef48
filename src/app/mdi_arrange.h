// The window menu's arrangements that QMdiArea lacks.
#pragma once

class QMdiArea;

namespace app {

void TileHorizontally(QMdiArea* mdi);  // one above the other, full width
void TileVertically(QMdiArea* mdi);    // side by side, full height
void ArrangeIcons(QMdiArea* mdi);      // minimised windows in a row at the bottom

}  // namespace app
