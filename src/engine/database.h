// The score database engine: an SQLite file that runs the program's
// Jet-dialect SQL texts with Jet's results.
//
// A Database owns its connection and closes it when destroyed. It is not
// thread-safe; use one per thread. Every method throws engine::Error on
// failure and leaves the database as it was before the failing statement.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error.h"
#include "engine/recordset.h"
#include "engine/value.h"

struct sqlite3;

namespace engine {

class Transaction;

class Database {
 public:
  // Opens an existing database file (shared, read-write). Throws kOpen when
  // the file is missing or is not a database.
  static Database Open(const std::string& path);
  // Creates the file when it does not exist, then opens it.
  static Database OpenOrCreate(const std::string& path);

  Database(Database&&) noexcept;
  Database& operator=(Database&&) noexcept;
  ~Database();

  void Close();
  bool IsOpen() const;
  const std::string& path() const;

  // Runs one statement: CREATE TABLE, DROP TABLE, ALTER TABLE … ADD COLUMN,
  // INSERT, UPDATE, DELETE or SELECT … INTO. A trailing ";" is allowed.
  void Execute(std::string_view jet_sql);

  // A table name, a saved-query name or a SELECT text.
  Recordset OpenRecordset(std::string_view source);

  // Saved queries. CreateQuery takes a text that may start with
  // "PROCEDURE qname;"; the query can then be opened and joined by name like a
  // table, and stays in the file. A saved query of that name is replaced; an
  // identical one is left as it is, without a write. DeleteQuery throws
  // kNoSuchObject when the name is not a saved query.
  void CreateQuery(std::string_view name, std::string_view jet_text);
  void DeleteQuery(std::string_view name);

  bool TableExists(std::string_view name) const;
  bool QueryExists(std::string_view name) const;
  // Column names of a table or saved query, in order.
  std::vector<std::string> ColumnNames(std::string_view table_or_query) const;

  // Fast bulk load into an existing table: `next_row` fills one row (one value
  // per column, in `columns` order) and returns false when there are no more.
  // Runs in the caller's transaction when there is one.
  void InsertRows(std::string_view table, const std::vector<std::string>& columns,
                  const std::function<bool(std::vector<Value>&)>& next_row);

  // Begins a transaction; it rolls back unless committed.
  Transaction BeginTransaction();

  sqlite3* handle() const;

 private:
  struct Impl;
  explicit Database(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  friend class Transaction;
};

class Transaction {
 public:
  Transaction(Transaction&&) noexcept;
  Transaction& operator=(Transaction&&) = delete;
  ~Transaction();  // rolls back when not committed
  void Commit();

 private:
  friend class Database;
  explicit Transaction(sqlite3* db);
  sqlite3* db_;
  bool done_ = false;
};

// The SQLite text a Jet-dialect statement becomes. Exposed for tests and the
// command-line tool; throws kParse for a statement it cannot parse.
std::string TranslateToSqlite(std::string_view jet_sql);

}  // namespace engine
