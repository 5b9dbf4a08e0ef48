// A recursive-descent parser of the Jet SQL dialect.
#pragma once

#include <string_view>

#include "engine/jet_ast.h"

namespace engine::jet {

// Parses one statement, with an optional leading "PROCEDURE name [params];"
// clause and an optional trailing ";". Throws engine::Error (kParse) naming
// the position and the token where it fails; an empty text is an error too.
Statement Parse(std::string_view sql);

}  // namespace engine::jet
