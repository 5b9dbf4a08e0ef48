#include "output/skip_step.h"

#include "data/score_database.h"

namespace output {

std::optional<engine::Database> OpenOrNothing(const data::AppState& state) {
  std::optional<engine::Database> db;
  SkipOnError([&] { db.emplace(data::OpenScoreDatabase(state)); });
  return db;
}

}  // namespace output
