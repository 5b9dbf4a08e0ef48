#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "common/progress.h"

namespace cli {

// A one-line progress bar on stderr, redrawn at most ten times a second.
class StderrProgress final : public common::ProgressSink {
 public:
  explicit StderrProgress(std::ostream& err) : err_(err) {}
  void Report(long long value, long long maximum, std::string_view stage) override;
  // Ends the line the bar is drawn on.
  void Finish();

 private:
  std::ostream& err_;
  std::chrono::steady_clock::time_point last_{};
  bool drawn_ = false;
  unsigned calls_ = 0;
};

}  // namespace cli
