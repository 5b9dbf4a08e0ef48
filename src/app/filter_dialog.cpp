#include "app/filter_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/dialog_commands.h"
#include "app/dialog_util.h"
#include "app/document_window.h"
#include "app/main_window.h"
#include "app/qt_convert.h"

namespace app {
namespace {

// The window's texts.
constexpr const char* kCaption = "筛选";
constexpr const char* kFrame = "筛选某一个学校、班级";
constexpr const char* kSchool = "学校";
constexpr const char* kClass = "班级";
constexpr const char* kOK = "确 定";
constexpr const char* kCancel = "取 消";

}  // namespace

FilterWindow::FilterWindow(MainWindow& main) : QDialog(&main, Qt::Dialog), main_(main) {
  setObjectName(QStringLiteral("frmshaixuan"));
  setWindowTitle(Qs(kCaption));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  if (DocumentWindow* doc = main_.ActiveDocument())
    options_ = reports::OpenFilterDialog(doc->grid());

  auto* frame = new QGroupBox(Qs(kFrame), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  school_ = new QComboBox(frame);
  school_->setObjectName(QStringLiteral("Combo1"));
  class_ = new QComboBox(frame);
  class_->setObjectName(QStringLiteral("Combo2"));
  school_->setMinimumWidth(140);
  class_->setMinimumWidth(140);
  auto* grid = new QGridLayout(frame);
  grid->addWidget(new QLabel(Qs(kSchool), frame), 0, 0);
  grid->addWidget(school_, 0, 1);
  grid->addWidget(new QLabel(Qs(kClass), frame), 1, 0);
  grid->addWidget(class_, 1, 1);
  connect(school_, &QComboBox::activated, this, &FilterWindow::OnSchool);

  QHBoxLayout* buttons =
      OkCancelRow(this, "Command1", kOK, "Command2", kCancel, [this] { OnOK(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  Mirror();
}

void FilterWindow::Mirror() {
  SetComboItems(school_, options_.schools);
  SetComboText(school_, options_.school);
  SetComboItems(class_, options_.classes);
  SetComboText(class_, options_.klass);
}

void FilterWindow::OnSchool() {
  DocumentWindow* doc = main_.ActiveDocument();
  if (doc == nullptr) return;
  reports::ChooseFilterSchool(options_, doc->grid(), Std(school_->currentText()));
  Mirror();
}

// With no report window, or no row of that school and class, nothing opens.
void FilterWindow::OnOK() {
  DocumentWindow* doc = main_.ActiveDocument();
  if (doc == nullptr) return;
  options_.school = Std(school_->currentText());
  options_.klass = Std(class_->currentText());
  std::optional<output::Document> copy = reports::RunFilter(options_, doc->grid(), main_.state());
  if (!copy) return;
  ShowInNewWindow(main_, std::move(*copy));
  close();
}

FilterWindow* OpenFilter(MainWindow& main) {
  delete main.findChild<FilterWindow*>(QString(), Qt::FindDirectChildrenOnly);
  auto* window = new FilterWindow(main);
  window->show();
  window->raise();
  return window;
}

}  // namespace app
