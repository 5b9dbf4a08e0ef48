#include "widgets/color_button.h"

#include <QColorDialog>
#include <QPainter>

#include "widgets/picker_popup.h"

namespace widgets {
namespace {

// Column-major: entry c * 5 + r, written as 0xRRGGBB.
constexpr std::array<unsigned, 40> kPalette = {
    0x000000, 0x800000, 0xFF0000, 0xFF00FF, 0xFF99CC,  // column 0
    0x993300, 0xFF6600, 0xFF9900, 0xFFCC00, 0xFFCC99,  // column 1
    0x333300, 0x808000, 0x99CC00, 0xFFFF00, 0xFFFF99,  // column 2
    0x003300, 0x008000, 0x339966, 0x00FF00, 0xCCFFCC,  // column 3
    0x003366, 0x008080, 0x33CCCC, 0x00FFFF, 0xCCFFFF,  // column 4
    0x000080, 0x0000FF, 0x3366FF, 0x00CCFF, 0x99CCFF,  // column 5
    0x333399, 0x666699, 0x800080, 0x993366, 0xCC99FF,  // column 6
    0x333333, 0x808080, 0x969696, 0xC0C0C0, 0xFFFFFF,  // column 7
};

}  // namespace

QColor ColorButton::PaletteColor(int column, int row) {
  return QColor::fromRgb(kPalette.at(column * kPaletteRows + row));
}

ColorButton::ColorButton(int button_type, QWidget* parent)
    : SplitButton(button_type == 0 ? QStringLiteral("填充颜色") : QStringLiteral("文字颜色"),
                  parent),
      button_type_(button_type),
      value_(button_type == 0 ? QColor(Qt::yellow) : QColor(Qt::red)) {}

void ColorButton::SetValue(const QColor& color) {
  value_ = color;
  update();
}

void ColorButton::ChoosePaletteCell(int column, int row) {
  SetValue(PaletteColor(column, row));
  emit Click();
}

void ColorButton::ChooseCustomColor() {
  const QColor color = QColorDialog::getColor(value_, window());
  if (!color.isValid()) return;
  SetValue(color);
  emit Click();
}

void ColorButton::ShowList() {
  // The popup numbers cells row by row; the palette is laid out column-major.
  auto paint = [](QPainter& painter, const QRect& rect, int index) {
    painter.save();
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(PaletteColor(index % kPaletteCols, index / kPaletteCols));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
  };
  auto* popup = new PickerPopup(kPaletteRows, kPaletteCols, QSize(18, 18), paint, this);
  popup->SetFooter(QStringLiteral("自定义颜色"));
  connect(popup, &PickerPopup::Chosen, this,
          [this](int index) { ChoosePaletteCell(index % kPaletteCols, index / kPaletteCols); });
  connect(popup, &PickerPopup::FooterChosen, this, &ColorButton::ChooseCustomColor);
  popup->Popup(mapToGlobal(QPoint(0, height())));
}

void ColorButton::PaintFace(QPainter& painter, const QRect& face) {
  painter.save();
  const QRect glyph(face.left() + 4, face.top() + 2, face.width() - 8, face.height() - 9);
  if (button_type_ == 0) {
    // A paint bucket, roughly: a tilted box.
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    QPolygon bucket;
    bucket << QPoint(glyph.left() + 3, glyph.top() + 5) << QPoint(glyph.center().x(), glyph.top())
           << QPoint(glyph.right(), glyph.top() + 6)
           << QPoint(glyph.center().x() + 1, glyph.bottom());
    painter.drawPolygon(bucket);
  } else {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(glyph, Qt::AlignCenter, QStringLiteral("A"));
  }
  painter.fillRect(QRect(face.left() + 3, face.bottom() - 5, face.width() - 6, 4), value_);
  painter.restore();
}

}  // namespace widgets
