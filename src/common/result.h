// The outcome of work that may be refused for a reason the user should
// read: success (with a value) or a Chinese message saying why not. Both are
// [[nodiscard]]: a refusal nobody looks at is a silent failure.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace common {

class [[nodiscard]] Status {
 public:
  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : ok_(false), message_(std::move(message)) {}
  bool ok_ = true;
  std::string message_;
};

// A value, or the message of why there is none.
template <typename T>
class [[nodiscard]] Result {
 public:
  // Implicit, so that a function returns its value plainly.
  Result(T value) : value_(std::move(value)) {}
  static Result Error(std::string message) { return Result(std::move(message), 0); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  // Preconditions: ok().
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  const std::string& message() const { return message_; }

 private:
  Result(std::string message, int) : message_(std::move(message)) {}
  std::optional<T> value_;
  std::string message_;
};

}  // namespace common
