#include "cli/stderr_progress.h"

namespace cli {

void StderrProgress::Report(long long value, long long maximum, std::string_view stage) {
  // A listing reports every row of every pass: reading the clock each time
  // cost more than the bar, so it is read every 256th call.
  const bool due = !drawn_ || value >= maximum || (++calls_ & 255) == 0;
  if (!due) return;
  auto now = std::chrono::steady_clock::now();
  if (drawn_ && value < maximum && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  const int width = 30;
  const int filled = maximum > 0 ? static_cast<int>(value * width / maximum) : 0;
  const int percent = maximum > 0 ? static_cast<int>(value * 100 / maximum) : 0;
  err_ << "\r[" << std::string(filled, '#') << std::string(width - filled, ' ') << "] " << percent
       << "% " << stage << "\033[K" << std::flush;
  drawn_ = true;
}

void StderrProgress::Finish() {
  if (drawn_) err_ << "\n";
  drawn_ = false;
}

}  // namespace cli
