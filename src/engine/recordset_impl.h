// How a Database opens recordsets and types the columns of saved queries;
// internal to the engine.
#pragma once

#include <string>
#include <string_view>

#include "engine/connection.h"
#include "engine/jet_ast.h"
#include "engine/recordset.h"

namespace engine::internal {

// A table name, a saved-query name or a SELECT text. Throws kNoSuchObject
// for a name that is neither a table nor a saved query.
Recordset OpenRecordset(Connection& conn, std::string_view source);

// A comment that keeps the type codes of a saved query's expression columns
// in its stored SQL, since SQLite does not declare them: "/*jet-types:4,7*/ ".
std::string TypeComment(const Connection& conn, const jet::Select& select);

}  // namespace engine::internal
