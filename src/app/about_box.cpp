#include "app/about_box.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_util.h"

namespace app {

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
  auto make = [this](const char* name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    return label;
  };
  QLabel* title = make("lblTitle", AppTitle());
  QFont big = title->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  title->setFont(big);
  QLabel* version = make("lblVersion", QStringLiteral("版本 ") + VersionText());
  QLabel* description = make("lblDescription", Description());
  description->setWordWrap(true);
  home_label_ = make("Label1", QStringLiteral("主页：") + HomePageAddress());
  home_label_->setCursor(Qt::PointingHandCursor);
  home_label_->setMouseTracking(true);
  home_label_->installEventFilter(this);
  QLabel* mail = make("Label2", QStringLiteral("邮箱：") + ContactMail());
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(version);
  layout->addWidget(description);
  layout->addWidget(home_label_);
  layout->addWidget(mail);
  layout->addLayout(ButtonRow({ok}));
  setFixedWidth(460);
}

// The home-page label turns bold under the mouse and opens the page.
bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == home_label_) {
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
