#include "app/about_box.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_util.h"

namespace app {
namespace {

// The description is laid out at this width, so that its height is known
// before the box is shown.
constexpr int kTextWidth = 420;

// The interface font may be set in pixels, so a size is scaled from the
// pixels it really has.
QFont Scaled(QFont font, double factor, bool bold) {
  font.setPixelSize(static_cast<int>(QFontInfo(font).pixelSize() * factor + 0.5));
  font.setBold(bold);
  return font;
}

}  // namespace

QString AboutBox::Description() {
  return QStringLiteral(
      "  本程序用于班级、年级段、学校、县区教育管理部门对辖区内学生成绩及教师所教学科目的统计。"
      "可按设置的比例合计主科总分、全科总分，可给任何一科、及总分排班名、校名、级名。"
      "可按学校、班级、教师统计各单科的参考人数、各率、分数段等。"
      "可统计优秀、优良、及格科目数及全科总分、主科总分最高分最低分，分段，前N分/"
      "名在各校、各班的分布。"
      "各种统计表格能进行页面设置、预览、打印。可导出为Excel文件。");
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("关于 ") + AppTitle());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setSpacing(10);
  auto add = [this, layout](const char* name, const QString& text) {
    auto* label = Named<QLabel>(this, name, text);
    label->setFixedWidth(kTextWidth);
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
  };
  QLabel* title = add("lblTitle", AppTitle());
  title->setFont(Scaled(title->font(), 2.0, true));
  // The program's icon beside its title, when it has one.
  const QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) {
    auto* picture = Named<QLabel>(this, "picIcon");
    const int side = QFontInfo(title->font()).pixelSize() * 3 / 2;
    picture->setPixmap(icon.pixmap(side, side));
    title->setFixedWidth(kTextWidth - side - layout->spacing());
    auto* row = new QHBoxLayout;
    row->setSpacing(layout->spacing());
    layout->removeWidget(title);
    row->addWidget(picture);
    row->addWidget(title);
    layout->addLayout(row);
  }
  add("lblVersion", QStringLiteral("版本 ") + VersionText());
  QLabel* description = add("lblDescription", Description());
  description->setFixedHeight(description->heightForWidth(kTextWidth));
  if (!HomePageAddress().isEmpty()) {
    home_label_ = add("Label1", QStringLiteral("主页：") + HomePageAddress());
    home_label_->setCursor(Qt::PointingHandCursor);
    home_label_->installEventFilter(this);
  }
  if (!ContactMail().isEmpty()) add("Label2", QStringLiteral("邮箱：") + ContactMail());
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addSpacing(6);
  layout->addLayout(ButtonRow({ok}));
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// The home-page label turns bold under the mouse and opens the page.
bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == home_label_ && home_label_ != nullptr) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
      QFont font = home_label_->font();
      font.setBold(event->type() == QEvent::Enter);
      home_label_->setFont(font);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      QDesktopServices::openUrl(QUrl(HomePageAddress()));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace app
