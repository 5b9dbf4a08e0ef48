#include "engine/database.h"

#include <sqlite3.h>

#include <filesystem>
#include <optional>

#include "engine/connection.h"
#include "engine/functions.h"
#include "engine/jet_lexer.h"
#include "engine/jet_parser.h"
#include "engine/recordset_impl.h"
#include "engine/sqlite_printer.h"

namespace engine {

using internal::Connection;
using internal::ObjectKind;
using internal::Stmt;

struct Database::Impl {
  Connection conn;
  ~Impl() {
    if (conn.db) sqlite3_close_v2(conn.db);
  }
};

namespace {

Connection& Checked(Connection* conn) {
  if (!conn || !conn->db) throw Error(Error::Kind::kState, "数据库没有打开。");
  return *conn;
}

void OpenFile(Connection& conn, const std::string& path, int flags) {
  conn.path = path;
  // A Database is used by one thread at a time, so SQLite need not lock
  // around every call (a lock and an unlock per value read, otherwise).
  int rc = sqlite3_open_v2(path.c_str(), &conn.db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string reason = conn.db ? sqlite3_errmsg(conn.db) : "内存不足";
    throw Error(Error::Kind::kOpen, "无法打开数据库文件：" + path + "（" + reason + "）");
  }
  // Before the first read: another connection committing (report all's
  // worker threads, the desktop beside the CLI) must be waited for here too.
  sqlite3_busy_timeout(conn.db, 5000);
  // Opening is lazy in SQLite: only a real read tells a database from any other file.
  int check =
      sqlite3_exec(conn.db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (check != SQLITE_OK) {
    if (check == SQLITE_NOTADB || check == SQLITE_CORRUPT) {
      throw Error(Error::Kind::kOpen, "不是有效的数据库文件：" + path);
    }
    throw Error(Error::Kind::kOpen,
                "无法读取数据库文件：" + path + "（" + sqlite3_errmsg(conn.db) + "）");
  }
  sqlite3_extended_result_codes(conn.db, 1);
  // Names are printed in double quotes: an unknown column must stay an error,
  // not turn into a text literal.
  sqlite3_db_config(conn.db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(conn.db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // A rollback journal keeps an interrupted transaction undoable and leaves no
  // side files behind once the database is closed.
  sqlite3_exec(conn.db,
               "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-65536; PRAGMA mmap_size=268435456",
               nullptr, nullptr, nullptr);
  if (RegisterJetFunctions(conn.db) != SQLITE_OK) {
    throw Error(Error::Kind::kOpen, "无法初始化数据库函数：" + path);
  }
}

const jet::Select& SelectOf(const jet::Statement& st, std::string_view text) {
  const auto* select = std::get_if<jet::Select>(&st.body);
  if (!select || !select->into.empty()) {
    throw Error(Error::Kind::kParse, "查询只能是 SELECT 语句。\n语句：" + std::string(text),
                std::string(text));
  }
  return *select;
}

// The CREATE VIEW text SQLite keeps for the saved query `name` (spelled
// exactly so), or nothing.
std::optional<std::string> StoredViewText(const Connection& conn, std::string_view name) {
  Stmt stmt = conn.Prepare("SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?1", "");
  sqlite3_bind_text(stmt.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
  return text ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Database Database::Open(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw Error(Error::Kind::kOpen, "数据库文件不存在：" + path);
  }
  auto impl = std::make_unique<Impl>();
  OpenFile(impl->conn, path, SQLITE_OPEN_READWRITE);
  return Database(std::move(impl));
}

Database Database::OpenOrCreate(const std::string& path) {
  auto impl = std::make_unique<Impl>();
  OpenFile(impl->conn, path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  return Database(std::move(impl));
}

void Database::Close() {
  if (impl_ && impl_->conn.db) impl_->conn.CommitImplicitTransaction();
  impl_.reset();
}

bool Database::IsOpen() const {
  return impl_ && impl_->conn.db;
}

const std::string& Database::path() const {
  static const std::string kNone;
  return impl_ ? impl_->conn.path : kNone;
}

sqlite3* Database::handle() const {
  return impl_ ? impl_->conn.db : nullptr;
}

void Database::Execute(std::string_view jet_sql) {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  jet::Statement st = jet::Parse(jet_sql);
  if (const auto* s = std::get_if<jet::Select>(&st.body); s && s->into.empty()) {
    throw Error(Error::Kind::kExecute,
                "不能执行选择查询，请用记录集打开它。\n语句：" + std::string(jet_sql),
                std::string(jet_sql));
  }
  std::string sql = jet::PrintStatement(st, conn.PrintContextFor(jet_sql));
  conn.Run(sql, jet_sql);
}

Recordset Database::OpenRecordset(std::string_view source) {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  return internal::OpenRecordset(conn, source);
}

void Database::CreateQuery(std::string_view name, std::string_view jet_text) {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  jet::Statement st = jet::Parse(jet_text);
  const jet::Select& select = SelectOf(st, jet_text);
  if (conn.Lookup(name) == ObjectKind::kTable) {
    throw Error(Error::Kind::kExecute,
                "已经有名为“" + std::string(name) + "”的表，不能再建同名的查询。");
  }
  std::string sql = jet::PrintSelect(select, conn.PrintContextFor(jet_text));
  std::string view = "CREATE VIEW " + jet::QuoteIdentifier(name) + " AS " +
                     internal::TypeComment(conn, select) + sql;
  // Reports store their query again at every run: rewriting an identical
  // view would cost a commit (and its syncs) for nothing.
  if (StoredViewText(conn, name) == view) return;
  conn.Run("SAVEPOINT jet_query", jet_text);
  try {
    conn.Run("DROP VIEW IF EXISTS " + jet::QuoteIdentifier(name), jet_text);
    conn.Run(view, jet_text);
    conn.Run("RELEASE jet_query", jet_text);
  } catch (...) {
    sqlite3_exec(conn.db, "ROLLBACK TO jet_query; RELEASE jet_query", nullptr, nullptr, nullptr);
    throw;
  }
}

void Database::DeleteQuery(std::string_view name) {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  std::string canonical;
  if (conn.Lookup(name, &canonical) != ObjectKind::kView) {
    throw Error(Error::Kind::kNoSuchObject, "找不到查询“" + std::string(name) + "”。");
  }
  conn.Run("DROP VIEW " + jet::QuoteIdentifier(canonical), "DROP VIEW");
}

bool Database::TableExists(std::string_view name) const {
  return Checked(impl_ ? &impl_->conn : nullptr).Lookup(name) == ObjectKind::kTable;
}

bool Database::QueryExists(std::string_view name) const {
  return Checked(impl_ ? &impl_->conn : nullptr).Lookup(name) == ObjectKind::kView;
}

std::vector<std::string> Database::ColumnNames(std::string_view table_or_query) const {
  const Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  std::string canonical;
  if (conn.Lookup(table_or_query, &canonical) == ObjectKind::kNone) {
    throw Error(Error::Kind::kNoSuchObject, internal::NoSuchObjectMessage(table_or_query));
  }
  std::vector<std::string> names;
  for (const auto& c : conn.ColumnsOf(canonical)) names.push_back(c.name);
  return names;
}

void Database::InsertRows(std::string_view table, const std::vector<std::string>& columns,
                          const std::function<bool(std::vector<Value>&)>& next_row) {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  std::string canonical;
  if (conn.Lookup(table, &canonical) != ObjectKind::kTable) {
    throw Error(Error::Kind::kNoSuchObject, internal::NoSuchObjectMessage(table));
  }
  if (conn.ReadOnly()) conn.FailReadOnly();
  std::vector<jet::TableColumn> all = conn.ColumnsOf(canonical);
  std::vector<jet::TypeCode> types;
  std::string sql = "INSERT INTO " + jet::QuoteIdentifier(canonical) + " (";
  std::string marks;
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + jet::QuoteIdentifier(columns[i]);
    marks += i ? ", ?" : "?";
    jet::TypeCode t = 0;
    for (const auto& c : all) {
      if (jet::EqualsIgnoreCase(c.name, columns[i])) t = c.type;
    }
    types.push_back(t);
  }
  sql += ") VALUES (" + marks + ")";
  std::string shown = "INSERT INTO " + std::string(table);
  Stmt stmt = conn.Prepare(sql, shown);
  bool own = sqlite3_get_autocommit(conn.db) != 0;
  if (own) conn.Run("BEGIN", shown);
  try {
    std::vector<Value> row;
    while (true) {
      row.assign(columns.size(), Value());
      if (!next_row(row)) break;
      for (size_t i = 0; i < columns.size(); ++i) {
        internal::BindValue(stmt.get(), static_cast<int>(i + 1),
                            i < row.size() ? internal::StoredValue(row[i], types[i]) : Value());
      }
      if (sqlite3_step(stmt.get()) != SQLITE_DONE) conn.Fail(shown);
      sqlite3_reset(stmt.get());
    }
    if (own) conn.Run("COMMIT", shown);
  } catch (...) {
    if (own) sqlite3_exec(conn.db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

Transaction Database::BeginTransaction() {
  Connection& conn = Checked(impl_ ? &impl_->conn : nullptr);
  conn.CommitImplicitTransaction();
  conn.Run("BEGIN", "BEGIN");
  return Transaction(conn.db);
}

Transaction::Transaction(sqlite3* db) : db_(db) {}
Transaction::Transaction(Transaction&& other) noexcept : db_(other.db_), done_(other.done_) {
  other.done_ = true;
}
Transaction::~Transaction() {
  if (!done_ && db_ && !sqlite3_get_autocommit(db_)) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}
void Transaction::Commit() {
  if (done_) throw Error(Error::Kind::kState, "事务已经结束。");
  done_ = true;
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::string reason = sqlite3_errmsg(db_);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw Error(Error::Kind::kExecute, "提交事务失败：" + reason);
  }
}

std::string TranslateToSqlite(std::string_view jet_sql) {
  jet::Statement st = jet::Parse(jet_sql);
  jet::PrintContext ctx;
  ctx.source = jet_sql;
  return jet::PrintStatement(st, ctx);
}

}  // namespace engine
