#include "app/comprehensive_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_commands.h"
#include "app/dialog_util.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"

namespace app {
namespace {

// The window's texts; Check3 and Check4 take theirs from the category.
constexpr const char* kCaption = "综合统计";
constexpr const char* kCategoryFrame = "统计类别";
constexpr const char* kCategories[] = {"单科", "主科", "全科"};
constexpr const char* kCategoryNames[] = {"dkOptlb", "zkOptlb", "qkOptlb"};
constexpr const char* kItemsFrame = "统计项目(参考人数、最高总分、最低总分、总分平均，及以下：";
constexpr const char* kCheck1 = "各科全部优秀、优良、及格；综合分";
constexpr const char* kCheck2 = "1门、2门、3门不及格";
constexpr const char* kPoints = "分";
constexpr const char* kRanks = "名";
constexpr const char* kRangeFrame = "统计范围（以上各项人数在下面范围内的分布）";
constexpr const char* kRanges[] = {"各班", "各校", "全部"};
constexpr const char* kRangeNames[] = {"gbOptfw", "gxOptfw", "qbOptfw"};
constexpr const char* kOK = "确 定";
constexpr const char* kCancel = "取 消";

}  // namespace

ComprehensiveWindow::ComprehensiveWindow(MainWindow& main, reports::ComprehensiveOptions options)
    : QDialog(&main, Qt::Dialog), main_(main), options_(std::move(options)) {
  setObjectName(QStringLiteral("zhtjfrm"));
  setWindowTitle(Qs(kCaption));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);

  QHBoxLayout* buttons =
      OkCancelRow(this, "Command1", kOK, "Command2", kCancel, [this] { OnOK(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildCategoryFrame());
  layout->addWidget(BuildItemsFrame());
  layout->addWidget(BuildRangeFrame());
  layout->addLayout(buttons);
  Mirror();
}

QWidget* ComprehensiveWindow::BuildCategoryFrame() {
  QGroupBox* frame = Frame(this, "Frame1", kCategoryFrame);
  auto* line = new QHBoxLayout(frame);
  auto* group = new QButtonGroup(frame);
  for (int i = 0; i < 3; ++i) {
    categories_[i] = Named<QRadioButton>(frame, kCategoryNames[i], kCategories[i]);
    group->addButton(categories_[i], i);
    line->addWidget(categories_[i]);
  }
  connect(group, &QButtonGroup::idClicked, this,
          [this](int id) { OnCategory(static_cast<reports::StatCategory>(id)); });
  subject_ = Named<QComboBox>(frame, "Combo1");
  subject_->setMinimumWidth(120);
  connect(subject_, &QComboBox::activated, this, [this](int index) {
    Gather();
    reports::ChooseSubject(options_, index, main_.state());
    Mirror();
  });
  line->addWidget(subject_);
  line->addStretch();
  return frame;
}

QWidget* ComprehensiveWindow::BuildItemsFrame() {
  QGroupBox* frame = Frame(this, "Frame2", kItemsFrame);
  auto* grid = new QGridLayout(frame);
  const char* const check_names[] = {"Check1", "Check2", "Check3", "Check4"};
  for (int i = 0; i < 4; ++i) {
    checks_[i] = Named<QCheckBox>(frame, check_names[i]);
    grid->addWidget(checks_[i], i, 0, 1, 8);
  }
  checks_[0]->setText(Qs(kCheck1));
  checks_[1]->setText(Qs(kCheck2));

  points_ = Named<QRadioButton>(frame, "fOpt", kPoints);
  ranks_ = Named<QRadioButton>(frame, "mOpt", kRanks);
  auto* unit = new QButtonGroup(frame);
  unit->addButton(points_);
  unit->addButton(ranks_);
  connect(points_, &QRadioButton::clicked, this, [this] {
    Gather();
    reports::ChoosePoints(options_);
    Mirror();
  });
  connect(ranks_, &QRadioButton::clicked, this, [this] {
    Gather();
    reports::ChooseRanks(options_);
    Mirror();
  });
  auto* units = new QHBoxLayout;
  units->addWidget(points_);
  units->addWidget(ranks_);
  units->addStretch();
  grid->addLayout(units, 3, 8);

  const char* const label_names[] = {"Label1", "Label2", "Label3", "Label4"};
  const char* const labels[] = {"N1", "N2", "N3", "N4"};
  const char* const box_names[] = {"Text1", "Text2", "Text3", "Text4"};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(Named<QLabel>(frame, label_names[i], labels[i]), 4, 2 * i,
                    Qt::AlignRight | Qt::AlignVCenter);
    n_boxes_[i] = Named<QLineEdit>(frame, box_names[i]);
    n_boxes_[i]->setFixedWidth(56);
    grid->addWidget(n_boxes_[i], 4, 2 * i + 1);
  }
  grid->setColumnStretch(8, 1);
  return frame;
}

QWidget* ComprehensiveWindow::BuildRangeFrame() {
  QGroupBox* frame = Frame(this, "Frame3", kRangeFrame);
  auto* line = new QHBoxLayout(frame);
  auto* group = new QButtonGroup(frame);
  for (int i = 0; i < 3; ++i) {
    ranges_[i] = Named<QRadioButton>(frame, kRangeNames[i], kRanges[i]);
    group->addButton(ranges_[i], i);
    line->addWidget(ranges_[i]);
  }
  line->addStretch();
  return frame;
}

void ComprehensiveWindow::Mirror() {
  const reports::ComprehensiveOptions& o = options_;
  categories_[static_cast<int>(o.category)]->setChecked(true);
  SetComboItems(subject_, o.subjects);
  SetComboText(subject_, o.subject);
  subject_->setVisible(o.subject_visible);
  const bool checked[] = {o.check1, o.check2, o.check3, o.check4};
  for (int i = 0; i < 4; ++i) checks_[i]->setChecked(checked[i]);
  checks_[0]->setEnabled(o.check1_enabled);
  checks_[1]->setEnabled(o.check2_enabled);
  checks_[2]->setText(Qs(o.check3_caption));
  checks_[3]->setText(Qs(o.check4_caption));
  for (int i = 0; i < 4; ++i) n_boxes_[i]->setText(Qs(o.n_texts[i]));
  (o.by_rank ? ranks_ : points_)->setChecked(true);
  ranks_->setEnabled(o.by_rank_enabled);
  ranges_[static_cast<int>(o.range)]->setChecked(true);
}

void ComprehensiveWindow::Gather() {
  reports::ComprehensiveOptions& o = options_;
  o.subject = Std(subject_->currentText());
  bool* checked[] = {&o.check1, &o.check2, &o.check3, &o.check4};
  for (int i = 0; i < 4; ++i) *checked[i] = checks_[i]->isChecked();
  for (int i = 0; i < 4; ++i) o.n_texts[i] = Std(n_boxes_[i]->text());
  o.by_rank = ranks_->isChecked();
  for (int i = 0; i < 3; ++i)
    if (ranges_[i]->isChecked()) o.range = static_cast<reports::StatRange>(i);
}

void ComprehensiveWindow::OnCategory(reports::StatCategory category) {
  Gather();
  reports::ChooseCategory(options_, category, main_.state());
  Mirror();
}

void ComprehensiveWindow::OnOK() {
  Gather();
  common::Result<output::Document> result = reports::RunComprehensive(options_, main_.state());
  if (!result) {
    main_.services().Message(this, AppTitle(), Qs(result.message()));
    return;
  }
  ShowInNewWindow(main_, std::move(result.value()));
  close();
}

ComprehensiveWindow* OpenComprehensive(MainWindow& main) {
  auto* window = main.findChild<ComprehensiveWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (window != nullptr && !window->isVisible()) {
    delete window;  // closed, its deletion still pending
    window = nullptr;
  }
  if (window == nullptr) {
    window = new ComprehensiveWindow(main, reports::OpenComprehensiveDialog(main.state()));
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace app
