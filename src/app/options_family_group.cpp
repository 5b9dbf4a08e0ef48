#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/options_dialog.h"

namespace app {

QGroupBox* OptionsDialog::BuildFamilyGroup(QWidget* page) {
  auto* family = new QGroupBox(QStringLiteral("发给家长和班外的名单"), page);
  auto* grid = new QGridLayout(family);
  mask_names_ = new QCheckBox(QStringLiteral("隐藏姓名（张*三，学号只留后4位）"), family);
  mask_names_->setObjectName(QStringLiteral("chkYcxm"));
  no_rank_ = new QCheckBox(QStringLiteral("不显示名次"), family);
  no_rank_->setObjectName(QStringLiteral("chkBxsmc"));
  letter_footer_ = new QLineEdit(family);
  letter_footer_->setObjectName(QStringLiteral("lkTex"));
  letter_footer_->setPlaceholderText(QStringLiteral("空为学校名和日期"));
  grid->addWidget(mask_names_, 0, 0);
  grid->addWidget(no_rank_, 0, 1);
  letter_trend_ =
      new QCheckBox(QStringLiteral("告知书附成绩趋势（考试库中有两次以上考试时）"), family);
  letter_trend_->setObjectName(QStringLiteral("chkQsh"));
  grid->addWidget(new QLabel(QStringLiteral("告知书落款"), family), 1, 0);
  grid->addWidget(letter_footer_, 1, 1);
  grid->addWidget(letter_trend_, 2, 0, 1, 2);
  return family;
}

}  // namespace app
