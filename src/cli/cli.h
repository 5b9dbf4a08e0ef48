// The command-line tool's commands. Each takes the words after its name and
// returns the exit status; messages go to stderr, results to stdout.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "data/app_state.h"

namespace cli {

struct Context {
  data::AppState state;
  std::vector<std::string> args;
  std::ostream& out;
  std::ostream& err;
};

int Repair(Context& ctx);
int Sql(Context& ctx);
int Settings(Context& ctx);
int Import(Context& ctx);
int Generate(Context& ctx);
int Report(Context& ctx);
int Exams(Context& ctx);
int Chart(Context& ctx);
// The words bash completion offers after `complete WHAT`: commands (given
// by main), kinds, options KIND, subjects (of the database, which is not
// created when missing). One per line; nothing for an unknown WHAT.
int Complete(Context& ctx, const std::vector<std::string>& commands);
int Pack(Context& ctx);

}  // namespace cli
