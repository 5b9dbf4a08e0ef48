// The progress window (Progfrm) shown during long work. As a progress sink it
// lets pending window events run at each step, so the program stays painted.
#pragma once

#include <QWidget>

#include "common/progress.h"

class QProgressBar;
class QLabel;

namespace app {

class ProgressWindow : public QWidget, public common::ProgressSink {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* parent = nullptr);
  // Shows the window with the bar at 0 of `maximum`.
  void Start(long long maximum);
  void Report(long long value, long long maximum, std::string_view stage) override;
  QProgressBar* bar() const { return bar_; }
  // Adds a 取消 button (cmdCancel); Cancelled() tells whether it was pressed.
  void AllowCancel();
  bool Cancelled() const { return cancelled_; }

 private:
  QProgressBar* bar_;
  QLabel* stage_;
  bool cancelled_ = false;
};

}  // namespace app
