// How the grid reports failures: a misuse of the model (a row or column out
// of range, a size it does not accept) throws GridError; file operations
// return a Status so that a failed save or export never throws past the API.
#pragma once

#include <stdexcept>
#include <string>

#include <utility>
#include "common/result.h"

namespace grid {

// what() is a Chinese message that can be shown to the user as it is.
class GridError : public std::runtime_error {
 public:
  explicit GridError(const std::string& message) : std::runtime_error(message) {}
};

// The outcome of a file operation: ok, or an error with a Chinese message.
using common::Status;

}  // namespace grid
