#pragma once

#include <stdexcept>
#include <string>

namespace engine {

// Every failure of the engine: a statement that does not parse or that SQLite
// rejects, a missing file, table or saved query. what() is a message in
// Chinese for the user that names the statement and the reason.
class Error : public std::runtime_error {
 public:
  enum class Kind { kParse, kExecute, kNoSuchObject, kOpen, kReadOnly, kState };
  Error(Kind kind, const std::string& message, std::string statement = {})
      : std::runtime_error(message), kind_(kind), statement_(std::move(statement)) {}
  Kind kind() const { return kind_; }
  const std::string& statement() const { return statement_; }

 private:
  Kind kind_;
  std::string statement_;
};

}  // namespace engine
