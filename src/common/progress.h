// How long work tells its caller how far it has got. The desktop shows a
// progress window, the command-line tool a bar on stderr, tests nothing.
#pragma once

#include <string_view>

namespace common {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // `value` of `maximum` done; `stage` says what is being done, in Chinese.
  virtual void Report(long long value, long long maximum, std::string_view stage) = 0;
};

class NullProgress final : public ProgressSink {
 public:
  void Report(long long, long long, std::string_view) override {}
};

}  // namespace common
