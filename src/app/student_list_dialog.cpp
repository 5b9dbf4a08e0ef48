#include "app/student_list_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_commands.h"
#include "app/dialog_util.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"

namespace app {
namespace {

// The window's texts; the eight ready-made lists take their captions from
// reports::ChoosePreset.
constexpr const char* kCaption = "符合条件的学生名单";
constexpr const char* kTabs[] = {"精简", "更多"};
constexpr const char* kConditionFrame = "条件";
constexpr const char* kAnd = "且";
constexpr const char* kOr = "或";
constexpr const char* kShowFrame = "显示内容（学校、班级、姓名和下面：）";
constexpr const char* kShowJoin = "和";
constexpr const char* kRangeFrame = "显示范围";
constexpr const char* kSchool = "学校";
constexpr const char* kClass = "班级";
constexpr const char* kOK = "确 定";
constexpr const char* kCancel = "取 消";

std::vector<std::string> WithEmptyFirst(const std::vector<std::string>& items) {
  std::vector<std::string> list = {""};
  list.insert(list.end(), items.begin(), items.end());
  return list;
}

}  // namespace

StudentListWindow::StudentListWindow(MainWindow& main, reports::StudentListOptions options)
    : QDialog(&main, Qt::Dialog), main_(main), options_(std::move(options)) {
  setObjectName(QStringLiteral("mingdanfrm"));
  setWindowTitle(Qs(kCaption));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);

  for (int i = 0; i < 8; ++i) {
    combos_[i] = Named<QComboBox>(this, QStringLiteral("Combo%1").arg(i + 1));
    combos_[i]->setEditable(true);
    // Typed text is taken as it stands at OK, never added to the lists.
    combos_[i]->setInsertPolicy(QComboBox::NoInsert);
    combos_[i]->setMinimumWidth(i == 1 || i == 3 ? 56 : 110);
  }
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SSTab1"));
  tabs_->addTab(BuildPresetTab(), Qs(kTabs[0]));
  tabs_->addTab(BuildConditionTab(), Qs(kTabs[1]));

  // This window numbers its buttons the other way round: OK is Command2.
  QHBoxLayout* buttons =
      OkCancelRow(this, "Command2", kOK, "Command1", kCancel, [this] { OnOK(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(BuildRangeFrame());
  layout->addLayout(buttons);

  OnChoice(combos_[2], &StudentListWindow::OnSecondColumn);
  OnChoice(combos_[4], &StudentListWindow::OnShowItem1);
  OnChoice(combos_[5], &StudentListWindow::OnShowItem2);
  OnChoice(combos_[6], &StudentListWindow::OnSchool);
  Mirror();
}

QWidget* StudentListWindow::BuildPresetTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  auto* group = new QButtonGroup(page);
  for (int i = 0; i < 8; ++i) {
    reports::StudentListOptions probe = options_;
    reports::ChoosePreset(probe, i + 1);
    presets_[i] = Named<QRadioButton>(page, QStringLiteral("jingjOpt%1").arg(i + 1));
    presets_[i]->setText(Qs(probe.jingj_caption));
    group->addButton(presets_[i], i + 1);
    grid->addWidget(presets_[i], i % 4, i / 4);  // 1-4 left, 5-8 right
  }
  connect(group, &QButtonGroup::idClicked, this,
          [this](int preset) { reports::ChoosePreset(options_, preset); });
  grid->setHorizontalSpacing(40);
  grid->setColumnStretch(2, 1);
  return page;
}

QWidget* StudentListWindow::BuildConditionTab() {
  auto* page = new QWidget;
  QGroupBox* condition = Frame(page, "Frame1", kConditionFrame);
  auto* grid = new QGridLayout(condition);
  value1_ = Named<QLineEdit>(condition, QStringLiteral("Text1"));
  value2_ = Named<QLineEdit>(condition, QStringLiteral("Text2"));
  grid->addWidget(combos_[0], 0, 0);
  grid->addWidget(combos_[1], 0, 1);
  grid->addWidget(value1_, 0, 2);
  and_ = Named<QRadioButton>(condition, QStringLiteral("qOpt"), kAnd);
  or_ = Named<QRadioButton>(condition, QStringLiteral("hOpt"), kOr);
  auto* join = new QHBoxLayout;
  join->addWidget(and_);
  join->addWidget(or_);
  join->addStretch();
  grid->addLayout(join, 1, 0, 1, 3);
  grid->addWidget(combos_[2], 2, 0);
  grid->addWidget(combos_[3], 2, 1);
  grid->addWidget(value2_, 2, 2);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(condition);
  layout->addWidget(BuildShowFrame(page));
  layout->addStretch();
  return page;
}

QWidget* StudentListWindow::BuildShowFrame(QWidget* parent) {
  QGroupBox* frame = Frame(parent, "Frame2", kShowFrame);
  auto* line = new QHBoxLayout(frame);
  combos_[4]->setMinimumWidth(170);
  line->addWidget(combos_[4]);
  line->addWidget(Named<QLabel>(frame, QStringLiteral("Label1"), kShowJoin));
  line->addWidget(combos_[5]);
  line->addStretch();
  return frame;
}

QWidget* StudentListWindow::BuildRangeFrame() {
  QGroupBox* frame = Frame(this, "Frame3", kRangeFrame);
  auto* line = new QHBoxLayout(frame);
  line->addWidget(new QLabel(Qs(kSchool), frame));
  line->addWidget(combos_[6]);
  line->addWidget(new QLabel(Qs(kClass), frame));
  line->addWidget(combos_[7]);
  line->addStretch();
  return frame;
}

void StudentListWindow::Mirror() {
  const reports::StudentListOptions& o = options_;
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(o.tab);
  }
  if (o.preset >= 1 && o.preset <= 8) presets_[o.preset - 1]->setChecked(true);
  std::vector<std::string> show_items = {"", reports::kMainGroupItem, reports::kAllGroupItem};
  show_items.insert(show_items.end(), o.columns.begin(), o.columns.end());
  const std::vector<std::string> lists[] = {o.columns,
                                            o.operators,
                                            WithEmptyFirst(o.columns),
                                            WithEmptyFirst(o.operators),
                                            show_items,
                                            WithEmptyFirst(o.columns),
                                            o.schools,
                                            o.classes};
  const std::string* texts[] = {&o.column1, &o.op1,   &o.column2, &o.op2,
                                &o.show1,   &o.show2, &o.school,  &o.klass};
  for (int i = 0; i < 8; ++i) {
    SetComboItems(combos_[i], lists[i]);
    SetComboText(combos_[i], *texts[i]);
  }
  combos_[5]->setEnabled(o.show2_enabled);
  combos_[7]->setEnabled(o.class_enabled);
  value1_->setText(Qs(o.value1));
  value2_->setText(Qs(o.value2));
  (o.use_or ? or_ : and_)->setChecked(true);
}

void StudentListWindow::Gather() {
  reports::StudentListOptions& o = options_;
  o.tab = tabs_->currentIndex();
  for (int i = 0; i < 8; ++i)
    if (presets_[i]->isChecked()) o.preset = i + 1;
  std::string* texts[] = {&o.column1, &o.op1,   &o.column2, &o.op2,
                          &o.show1,   &o.show2, &o.school,  &o.klass};
  for (int i = 0; i < 8; ++i) *texts[i] = Std(combos_[i]->currentText());
  o.value1 = Std(value1_->text());
  o.value2 = Std(value2_->text());
  o.use_or = or_->isChecked();
}

void StudentListWindow::OnChoice(QComboBox* box,
                                 void (StudentListWindow::*handler)(const std::string&)) {
  connect(box, &QComboBox::activated, this, [this, box, handler](int) {
    Gather();
    (this->*handler)(Std(box->currentText()));
    Mirror();
  });
}

void StudentListWindow::OnSchool(const std::string& school) {
  reports::ChooseListSchool(options_, school, main_.state());
}

void StudentListWindow::OnSecondColumn(const std::string& column) {
  reports::ChooseSecondColumn(options_, column);
}

void StudentListWindow::OnShowItem1(const std::string& item) {
  reports::ChooseShowItem1(options_, item);
}

void StudentListWindow::OnShowItem2(const std::string& item) {
  const std::string message = reports::ChooseShowItem2(options_, item);
  if (!message.empty()) main_.services().Message(this, AppTitle(), Qs(message));
}

void StudentListWindow::OnOK() {
  Gather();
  common::Result<output::Document> result = reports::RunStudentList(options_, main_.state());
  if (!result) {
    main_.services().Message(this, AppTitle(), Qs(result.message()), QMessageBox::Warning);
    return;
  }
  ShowInNewWindow(main_, std::move(result.value()));
  close();
}

StudentListWindow* OpenStudentList(MainWindow& main) {
  auto* window = main.findChild<StudentListWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (window != nullptr && !window->isVisible()) {
    delete window;  // closed, its deletion still pending
    window = nullptr;
  }
  if (window == nullptr)
    window = new StudentListWindow(main, reports::OpenStudentListDialog(main.state()));
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace app
