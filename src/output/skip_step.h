// The steps of a report that may legitimately fail: before the first import
// there is no database, a subject may have no teacher rows, a grid may
// refuse a width. Such a step ends alone and the report shows what could be
// filled. Anything else (a programming error, memory) is not swallowed: it
// reaches the command boundary as a message.
#pragma once

#include <optional>

#include "data/app_state.h"
#include "engine/database.h"
#include "engine/error.h"
#include "grid/grid_error.h"

namespace output {

// Runs one step; returns whether it completed. Only the database's and the
// grid's refusals (engine::Error, grid::GridError) are caught.
template <typename Step>
bool SkipOnError(Step&& step) {
  try {
    step();
    return true;
  } catch (const engine::Error&) {
    return false;
  } catch (const grid::GridError&) {
    return false;
  }
}

// The score database at state.database_path, or nothing when it cannot be
// opened (the report then shows as empty).
std::optional<engine::Database> OpenOrNothing(const data::AppState& state);

}  // namespace output
