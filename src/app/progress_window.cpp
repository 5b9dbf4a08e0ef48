#include "app/progress_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_convert.h"

namespace app {
namespace {
// The bar counts in a range an int holds, whatever the caller's maximum.
constexpr int kBarSteps = 1000;
// Events are let run at most this often within one stage: a listing of
// 100,000 rows reports 400,000 steps, and letting events run at each one
// took longer than the listing itself.
constexpr qint64 kEventIntervalMs = 15;
}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("Progfrm"));
  setWindowTitle(QStringLiteral("正在处理....."));
  setWindowModality(Qt::ApplicationModal);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("ProgressBar1"));
  stage_ = new QLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(stage_);
  layout->addWidget(bar_);
  setFixedWidth(380);
}

void ProgressWindow::AllowCancel() {
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  layout()->addWidget(cancel);
  connect(cancel, &QPushButton::clicked, this, [this, cancel] {
    cancelled_ = true;
    cancel->setEnabled(false);
    stage_->setText(QStringLiteral("正在取消……"));
  });
}

void ProgressWindow::Start(long long maximum) {
  bar_->setRange(0, maximum > kBarSteps ? kBarSteps : static_cast<int>(std::max(1LL, maximum)));
  bar_->setValue(0);
  show();
  RunEvents();
}

void ProgressWindow::RunEvents() {
  QCoreApplication::processEvents();
  since_events_.start();
}

void ProgressWindow::Report(long long value, long long maximum, std::string_view stage) {
  // A new stage is shown at once, so a 取消 pressed on its name stops it.
  const bool new_stage = !stage.empty() && stage != shown_stage_;
  if (!new_stage && value < maximum && since_events_.isValid() &&
      since_events_.elapsed() < kEventIntervalMs)
    return;
  if (maximum <= 0) maximum = 1;
  if (maximum > kBarSteps) {
    bar_->setRange(0, kBarSteps);
    bar_->setValue(static_cast<int>(std::clamp(value, 0LL, maximum) * kBarSteps / maximum));
  } else {
    bar_->setRange(0, static_cast<int>(maximum));
    bar_->setValue(static_cast<int>(std::clamp(value, 0LL, maximum)));
  }
  if (new_stage) {
    shown_stage_.assign(stage);
    stage_->setText(Qs(stage));
  }
  RunEvents();
}

}  // namespace app
