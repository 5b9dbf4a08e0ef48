// The connection shared by a Database and its recordsets; internal to the
// engine. Turns SQLite failures into engine::Error with Chinese messages.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite_printer.h"
#include "engine/value.h"

namespace engine::internal {

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

enum class ObjectKind { kNone, kTable, kView };

class Connection {
 public:
  sqlite3* db = nullptr;
  std::string path;

  // Prepares one SQLite statement; `statement` is the Jet text for messages.
  // A writing statement on a read-only file fails here with kReadOnly.
  Stmt Prepare(std::string_view sql, std::string_view statement) const;
  // Runs an SQLite text to completion.
  void Run(std::string_view sql, std::string_view statement) const;
  [[noreturn]] void Fail(std::string_view statement) const;
  [[noreturn]] void FailReadOnly() const;
  bool ReadOnly() const { return sqlite3_db_readonly(db, "main") == 1; }

  // Edits through a recordset outside any transaction are batched into one,
  // which any other operation of the database commits first.
  void BeginImplicitTransaction();
  void CommitImplicitTransaction();

  // The object (table or saved query) of that name; `canonical` gets its
  // stored spelling.
  ObjectKind Lookup(std::string_view name, std::string* canonical = nullptr) const;
  std::vector<jet::TableColumn> ColumnsOf(const std::string& table) const;
  jet::PrintContext PrintContextFor(std::string_view source) const;

 private:
  bool implicit_transaction_ = false;
};

std::string NoSuchObjectMessage(std::string_view name);
Value ColumnValue(sqlite3_stmt* stmt, int index);
// The same without copying a text: valid until the statement moves.
ValueView ColumnView(sqlite3_stmt* stmt, int index);
void BindValue(sqlite3_stmt* stmt, int index, const Value& v);
// The value Jet stores in a column of that type: single precision for
// SINGLE, rounded half to even for the integer types.
Value StoredValue(const Value& v, jet::TypeCode column_type);

}  // namespace engine::internal
