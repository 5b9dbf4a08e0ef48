#include "widgets/toolbar.h"

#include <QPainter>

#include "widgets/split_button.h"

namespace widgets {
namespace {

const char* const kTips[Toolbar::kButtonCount] = {
    "新建",   "打开",   "保存",       "打印",           "打印预览", "剪切",
    "复制",   "粘贴",   "合并单元格", "取消合并单元格", "插入行",   "插入列",
    "删除行", "删除列", "美化表格",   "设置",           "关于"};

// Groups separated by a small gap: file, print, clipboard, merge, rows and
// columns, the rest.
bool GapBefore(int index) {
  return index == 3 || index == 5 || index == 8 || index == 10 || index == 14;
}

}  // namespace

Toolbar::Toolbar(QWidget* parent) : ButtonRow(kButtonCount, parent) {
  int left = 2;
  for (int i = 0; i < kButtonCount; ++i) {
    if (GapBefore(i)) left += 6;
    lefts_[i] = left;
    left += kButtonWidth + 1;
  }
  setFixedHeight(kHeight);
  setMinimumWidth(sizeHint().width());
}

QSize Toolbar::sizeHint() const {
  return {lefts_.back() + kButtonWidth + 2, kHeight};
}

QString Toolbar::Tip(int index) {
  if (index < 0 || index >= kButtonCount) return {};
  return QString::fromUtf8(kTips[index]);
}

QRect Toolbar::ButtonRect(int index) const {
  return QRect(lefts_.at(index), 1, kButtonWidth, kHeight - 2);
}

void Toolbar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int i = 0; i < kButtonCount; ++i) {
    const QRect r = ButtonRect(i);
    if (i == hover()) {
      painter.setRenderHint(QPainter::Antialiasing, false);
      PaintHoverFrame(painter, r, i == pressed());
      painter.setRenderHint(QPainter::Antialiasing, true);
    }
    PaintToolbarIcon(painter, QRect(r.left() + 3, r.top() + 3, 16, 16), i);
  }
}

}  // namespace widgets
