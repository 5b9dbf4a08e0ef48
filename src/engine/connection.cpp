#include "engine/connection.h"

#include "common/text_number.h"
#include "engine/error.h"
#include "engine/functions.h"

namespace engine::internal {
namespace {

std::string AfterPrefix(const std::string& message, std::string_view prefix) {
  return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size())
                                                        : std::string();
}

}  // namespace

std::string NoSuchObjectMessage(std::string_view name) {
  return "找不到表或查询“" + std::string(name) + "”。";
}

Stmt Connection::Prepare(std::string_view sql, std::string_view statement) const {
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
  Stmt stmt(raw);
  if (rc != SQLITE_OK) Fail(statement);
  if (!stmt) {
    throw Error(Error::Kind::kParse, "SQL 语句是空的。", std::string(statement));
  }
  if (!sqlite3_stmt_readonly(stmt.get()) && ReadOnly()) FailReadOnly();
  return stmt;
}

void Connection::Run(std::string_view sql, std::string_view statement) const {
  Stmt stmt = Prepare(sql, statement);
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) Fail(statement);
}

void Connection::FailReadOnly() const {
  throw Error(Error::Kind::kReadOnly, "数据库文件是只读的，不能写入：" + path);
}

void Connection::Fail(std::string_view statement) const {
  int code = sqlite3_extended_errcode(db);
  std::string message = sqlite3_errmsg(db);
  std::string shown_statement = statement.empty() ? "" : "\n语句：" + std::string(statement);
  if ((code & 0xFF) == SQLITE_READONLY) FailReadOnly();
  if (std::string name = AfterPrefix(message, "no such table: "); !name.empty()) {
    if (name.compare(0, 5, "main.") == 0) name = name.substr(5);
    throw Error(Error::Kind::kNoSuchObject, NoSuchObjectMessage(name) + shown_statement,
                std::string(statement));
  }
  std::string reason;
  if (std::string name = AfterPrefix(message, "no such column: "); !name.empty()) {
    reason = "找不到列“" + name + "”";
  } else if (std::string name = AfterPrefix(message, "no such function: "); !name.empty()) {
    reason = "不认识的函数“" + name + "”";
  } else if (message.find("already exists") != std::string::npos) {
    reason = "对象已经存在（" + message + "）";
  } else if ((code & 0xFF) == SQLITE_NOTADB) {
    throw Error(Error::Kind::kOpen, "不是有效的数据库文件：" + path);
  } else {
    reason = message;
  }
  throw Error(Error::Kind::kExecute, "SQL 语句执行失败：" + reason + shown_statement,
              std::string(statement));
}

void Connection::BeginImplicitTransaction() {
  if (!sqlite3_get_autocommit(db)) return;
  Run("BEGIN", "BEGIN");
  implicit_transaction_ = true;
}

void Connection::CommitImplicitTransaction() {
  if (!implicit_transaction_) return;
  implicit_transaction_ = false;
  if (!sqlite3_get_autocommit(db)) Run("COMMIT", "COMMIT");
}

ObjectKind Connection::Lookup(std::string_view name, std::string* canonical) const {
  Stmt stmt = Prepare(
      "SELECT type, name FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 "
      "COLLATE NOCASE AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
      "");
  sqlite3_bind_text(stmt.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return ObjectKind::kNone;
  if (canonical) *canonical = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
  std::string_view type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
  return type == "table" ? ObjectKind::kTable : ObjectKind::kView;
}

std::vector<jet::TableColumn> Connection::ColumnsOf(const std::string& table) const {
  std::vector<jet::TableColumn> cols;
  Stmt stmt = Prepare("SELECT name, type FROM pragma_table_info(?1)", "");
  sqlite3_bind_text(stmt.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    const char* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
    cols.push_back({reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)),
                    jet::TypeOfDeclared(type)});
  }
  return cols;
}

jet::PrintContext Connection::PrintContextFor(std::string_view source) const {
  jet::PrintContext ctx;
  ctx.source = source;
  ctx.columns_of = [this](const std::string& t) { return ColumnsOf(t); };
  return ctx;
}

Value ColumnValue(sqlite3_stmt* stmt, int i) {
  return Value::Of(ColumnView(stmt, i));
}

ValueView ColumnView(sqlite3_stmt* stmt, int i) {
  ValueView view;
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
      view.kind = ValueView::Kind::kInteger;
      view.integer = sqlite3_column_int64(stmt, i);
      break;
    case SQLITE_FLOAT:
      view.kind = ValueView::Kind::kReal;
      view.real = sqlite3_column_double(stmt, i);
      break;
    case SQLITE_NULL:
      break;
    default: {
      view.kind = ValueView::Kind::kText;
      // The text first, then its length: asking for the text may convert it.
      const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      if (t)
        view.text = std::string_view(t, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
    }
  }
  return view;
}

void BindValue(sqlite3_stmt* stmt, int i, const Value& v) {
  if (v.IsNull()) {
    sqlite3_bind_null(stmt, i);
  } else if (v.IsInteger()) {
    sqlite3_bind_int64(stmt, i, v.AsInteger());
  } else if (v.IsReal()) {
    sqlite3_bind_double(stmt, i, v.AsDouble());
  } else {
    std::string t = v.AsText();
    sqlite3_bind_text(stmt, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
}

Value StoredValue(const Value& v, jet::TypeCode type) {
  std::optional<double> number;
  if (v.IsNumber()) {
    number = v.AsDouble();
  } else if (v.IsText()) {
    number = common::ParseWholeNumber(v.AsText());
  }
  if (!number) return v;
  if (type == static_cast<jet::TypeCode>(FieldType::kSingle)) {
    return Value::Real(static_cast<double>(static_cast<float>(*number)));
  }
  if (type == static_cast<jet::TypeCode>(FieldType::kShort) ||
      type == static_cast<jet::TypeCode>(FieldType::kLong)) {
    return v.IsInteger() ? v : Value::Integer(RoundHalfEven(*number));
  }
  if (type == static_cast<jet::TypeCode>(FieldType::kDouble) && v.IsText()) {
    return Value::Real(*number);
  }
  return v;
}

}  // namespace engine::internal
