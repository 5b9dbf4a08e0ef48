// The column types of the dialect: how a Jet type name is declared in SQLite,
// how the declared type gives back the type code, and the type code of an
// expression column, which SQLite does not declare.
#pragma once

#include <functional>
#include <string>

#include "engine/jet_ast.h"

namespace engine::jet {

// 0 when unknown; otherwise a value of engine::FieldType.
using TypeCode = int;

// The SQLite declared type for a Jet column type ("SINGLE" is "FLOAT"). The
// chosen names give the right affinity and map back through TypeOfDeclared.
// Empty when the Jet type name is not known. COUNTER gives "INTEGER".
std::string DeclaredType(const ColumnDef& column);

// The type code of a declared type, as sqlite3_column_decltype returns it.
TypeCode TypeOfDeclared(const char* decltype_text);

// Looks up the type code of a column named in an expression (qualifier may be
// empty); 0 when unknown.
using ColumnTypeLookup =
    std::function<TypeCode(const std::string& qualifier, const std::string& name)>;

// The type code an expression's value has in Jet: count is a Long, avg and
// division a Double, & a Text. 0 when it depends on data that is not known.
TypeCode InferType(const Expr& e, const ColumnTypeLookup& lookup);

}  // namespace engine::jet
