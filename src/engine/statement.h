// What a statement of the dialect is, told without running it.
#pragma once

#include <string_view>

namespace engine {

// Whether running a statement gives rows to read (a SELECT) or only changes
// the database (SELECT … INTO, INSERT, UPDATE, DELETE, CREATE, DROP, ALTER).
enum class StatementKind { kQuery, kCommand };

// Throws Error (kParse) for a text that is not a statement of the dialect.
StatementKind KindOfStatement(std::string_view jet_sql);

// True for the words of the dialect that cannot stand bare as a name (SELECT,
// LEFT, NULL, TRUE, ...), ignoring ASCII case: a statement that puts such a
// name in without brackets does not parse, or means something else.
bool IsReservedWord(std::string_view word);

}  // namespace engine
