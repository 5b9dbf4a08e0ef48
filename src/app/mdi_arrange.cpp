#include "app/mdi_arrange.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace app {
namespace {

QList<QMdiSubWindow*> OpenWindows(QMdiArea* mdi) {
  QList<QMdiSubWindow*> result;
  for (QMdiSubWindow* sub : mdi->subWindowList()) {
    if (!sub->isMinimized() && sub->isVisible()) result.append(sub);
  }
  return result;
}

void Tile(QMdiArea* mdi, bool stacked) {
  const QList<QMdiSubWindow*> windows = OpenWindows(mdi);
  if (windows.isEmpty()) return;
  const QRect area = mdi->viewport()->rect();
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* sub = windows[i];
    sub->showNormal();
    if (stacked) {
      const int h = area.height() / n;
      sub->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
    } else {
      const int w = area.width() / n;
      sub->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
    }
  }
}

}  // namespace

QRect CascadeSlot(const QRect& area, int index) {
  constexpr int kStep = 24;
  const QSize size(std::max(300, area.width() * 3 / 4), std::max(220, area.height() * 3 / 4));
  const QSize room = area.size() - size;
  const int places = std::max(0, std::min(room.width(), room.height())) / kStep + 1;
  const int place = index % places;
  return {area.topLeft() + QPoint(place * kStep, place * kStep), size};
}

void Cascade(QMdiArea* mdi) {
  const QList<QMdiSubWindow*> windows = OpenWindows(mdi);
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->showNormal();
    windows[i]->setGeometry(CascadeSlot(mdi->viewport()->rect(), static_cast<int>(i)));
    windows[i]->raise();
  }
}

void TileHorizontally(QMdiArea* mdi) {
  Tile(mdi, true);
}
void TileVertically(QMdiArea* mdi) {
  Tile(mdi, false);
}

void ArrangeIcons(QMdiArea* mdi) {
  const QRect area = mdi->viewport()->rect();
  int left = 0;
  for (QMdiSubWindow* sub : mdi->subWindowList()) {
    if (!sub->isMinimized()) continue;
    const QSize size = sub->size();
    sub->move(left, area.height() - size.height());
    left += size.width();
  }
}

}  // namespace app
