// Writes SQLite SQL from a Jet syntax tree. Identifiers are always quoted,
// Jet's operators and functions become SQLite expressions or the functions
// registered by RegisterJetFunctions.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jet_ast.h"
#include "engine/jet_types.h"

namespace engine::jet {

struct TableColumn {
  std::string name;
  TypeCode type = 0;
};

struct PrintContext {
  // The statement being printed, for error messages.
  std::string_view source;
  // The columns of a table, in order; used to store values into SINGLE and
  // integer columns the way Jet does. May be empty (no conversion then).
  std::function<std::vector<TableColumn>(const std::string& table)> columns_of;
};

// For a recordset that can be edited: the single table is read in rowid
// order (NOT INDEXED, so that updates never move the walk) and its rowid is
// appended as a last, hidden column.
struct EditableSelect {
  std::string rowid_alias;
};

std::string QuoteIdentifier(std::string_view name);
std::string QuoteString(std::string_view text);

// Throws engine::Error (kParse) for an unknown function or a wrong number of
// arguments, and for a Jet column type SQLite cannot declare.
std::string PrintStatement(const Statement& st, const PrintContext& ctx);
std::string PrintSelect(const Select& s, const PrintContext& ctx,
                        const EditableSelect* editable = nullptr);

// The column name a select item gets when it has no alias: the column's own
// name, or Jet's "Expr1000", "Expr1001", … by position.
std::string DefaultItemName(const SelectItem& item, size_t index);

}  // namespace engine::jet
