// The progress window (Progfrm) shown during long work. As a progress sink it
// lets pending window events run at a new stage, at the end and otherwise
// every few milliseconds, so the program stays painted and answers 取消.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <string>

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
  void RunEvents();

  QProgressBar* bar_;
  QLabel* stage_;
  bool cancelled_ = false;
  std::string shown_stage_;
  QElapsedTimer since_events_;
};

}  // namespace app
