#include "engine/recordset.h"

#include <map>
#include <optional>
#include <vector>

#include "engine/error.h"
#include "engine/jet_lexer.h"
#include "engine/jet_parser.h"
#include "engine/jet_types.h"
#include "engine/recordset_impl.h"
#include "engine/sqlite_printer.h"

namespace engine {

using internal::Connection;
using internal::Stmt;

struct Recordset::Impl {
  Connection* conn = nullptr;
  std::string source;
  std::string sql;
  Stmt stmt;
  int field_count = 0;
  std::vector<std::string> names;
  std::vector<FieldType> types;
  bool eof = true;
  std::optional<int64_t> count;

  // Editing; `table` is empty when the recordset cannot be edited.
  std::string table;
  std::vector<std::string> field_column;  // "" for a computed field
  std::vector<jet::TypeCode> field_store_type;
  bool editing = false;
  std::vector<std::optional<Value>> pending;
  std::vector<std::optional<Value>> written;  // what Update wrote into the current record
  std::map<std::string, Stmt> updates;        // by the list of fields set

  void Step() {
    written.assign(field_count, std::nullopt);
    editing = false;
    int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) {
      eof = false;
      return;
    }
    eof = true;
    if (rc != SQLITE_DONE) conn->Fail(source);
    conn->CommitImplicitTransaction();
  }

  void RequireRecord() const {
    if (eof) throw Error(Error::Kind::kState, "记录集已到末尾，没有当前记录。");
  }
  void RequireField(int index) const {
    if (index < 0 || index >= field_count) {
      throw Error(Error::Kind::kState, "字段序号 " + std::to_string(index) + " 超出范围。");
    }
  }
  sqlite3_stmt* UpdateStatement(const std::vector<int>& fields);
};

namespace {

constexpr const char* kRowidAlias = "__jet_rowid__";

std::vector<jet::TypeCode> ParseTypeComment(const std::string& view_sql) {
  std::vector<jet::TypeCode> codes;
  size_t at = view_sql.find("/*jet-types:");
  if (at == std::string::npos) return codes;
  size_t end = view_sql.find("*/", at);
  std::string list = view_sql.substr(at + 12, end - at - 12);
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    codes.push_back(std::atoi(list.substr(start, comma - start).c_str()));
    start = comma + 1;
  }
  return codes;
}

// The type codes of the columns named in an expression, from the FROM tables.
jet::ColumnTypeLookup LookupFor(const Connection& conn, const jet::Select& s) {
  auto columns = std::make_shared<std::vector<std::pair<std::string, jet::TableColumn>>>();
  for (const auto& ref : s.from) {
    if (ref->kind != jet::TableRef::Kind::kName) continue;
    std::string alias = ref->alias.empty() ? ref->name : ref->alias;
    for (auto& c : conn.ColumnsOf(ref->name)) columns->emplace_back(alias, c);
  }
  return [columns](const std::string& qualifier, const std::string& name) -> jet::TypeCode {
    for (const auto& [alias, c] : *columns) {
      if ((qualifier.empty() || jet::EqualsIgnoreCase(qualifier, alias)) &&
          jet::EqualsIgnoreCase(c.name, name)) {
        return c.type;
      }
    }
    return 0;
  };
}

std::vector<jet::TypeCode> InferredTypes(const Connection& conn, const jet::Select& s) {
  std::vector<jet::TypeCode> codes;
  for (const auto& item : s.items) {
    if (item.expr->kind == jet::Expr::Kind::kStar) return {};
  }
  auto lookup = LookupFor(conn, s);
  for (const auto& item : s.items) codes.push_back(jet::InferType(*item.expr, lookup));
  return codes;
}

bool IsEditable(const Connection& conn, const jet::Select& s, std::string* table) {
  if (s.from.size() != 1 || s.from[0]->kind != jet::TableRef::Kind::kName || s.distinct ||
      !s.group_by.empty() || s.having || !s.into.empty()) {
    return false;
  }
  for (const auto& item : s.items) {
    if (jet::ContainsAggregate(*item.expr)) return false;
  }
  return conn.Lookup(s.from[0]->name, table) == internal::ObjectKind::kTable;
}

// Which table column each field is, for the fields a recordset can write.
void MapEditableFields(Recordset::Impl& rs, const jet::Select& s) {
  std::vector<jet::TableColumn> cols = rs.conn->ColumnsOf(rs.table);
  const std::string& alias = s.from[0]->alias.empty() ? s.from[0]->name : s.from[0]->alias;
  auto type_of = [&](const std::string& name) {
    for (const auto& c : cols) {
      if (jet::EqualsIgnoreCase(c.name, name)) return c.type;
    }
    return jet::TypeCode{0};
  };
  for (const auto& item : s.items) {
    const jet::Expr& e = *item.expr;
    if (e.kind == jet::Expr::Kind::kStar) {
      for (const auto& c : cols) {
        rs.field_column.push_back(c.name);
        rs.field_store_type.push_back(c.type);
      }
    } else if (e.kind == jet::Expr::Kind::kColumn &&
               (e.qualifier.empty() || jet::EqualsIgnoreCase(e.qualifier, alias))) {
      rs.field_column.push_back(e.text);
      rs.field_store_type.push_back(type_of(e.text));
    } else {
      rs.field_column.emplace_back();
      rs.field_store_type.push_back(0);
    }
  }
}

FieldType StorageType(sqlite3_stmt* stmt, int i, bool has_row) {
  switch (has_row ? sqlite3_column_type(stmt, i) : SQLITE_NULL) {
    case SQLITE_INTEGER:
      return FieldType::kLong;
    case SQLITE_FLOAT:
      return FieldType::kDouble;
    default:
      return FieldType::kText;
  }
}

// Declared type first (a column of a table, also through a saved query), then
// what the expression gives, then what the first record holds.
void ResolveTypes(Recordset::Impl& rs, const std::vector<jet::TypeCode>& inferred) {
  for (int i = 0; i < rs.field_count; ++i) {
    jet::TypeCode t = jet::TypeOfDeclared(sqlite3_column_decltype(rs.stmt.get(), i));
    if (t == 0 && static_cast<size_t>(i) < inferred.size()) t = inferred[i];
    rs.types.push_back(t ? static_cast<FieldType>(t) : StorageType(rs.stmt.get(), i, !rs.eof));
  }
}

jet::Select SelectAllFrom(const std::string& name) {
  jet::Select s;
  s.items.push_back({std::make_unique<jet::Expr>(jet::Expr::Kind::kStar, 0), ""});
  auto ref = std::make_unique<jet::TableRef>();
  ref->name = name;
  s.from.push_back(std::move(ref));
  return s;
}

std::string ViewSql(const Connection& conn, const std::string& name) {
  Stmt stmt = conn.Prepare("SELECT sql FROM sqlite_master WHERE type='view' AND name=?1", "");
  sqlite3_bind_text(stmt.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return {};
  const unsigned char* t = sqlite3_column_text(stmt.get(), 0);
  return t ? reinterpret_cast<const char*>(t) : "";
}

}  // namespace

std::string internal::TypeComment(const Connection& conn, const jet::Select& select) {
  std::vector<jet::TypeCode> codes = InferredTypes(conn, select);
  if (codes.empty()) return {};
  std::string out = "/*jet-types:";
  for (size_t i = 0; i < codes.size(); ++i) out += (i ? "," : "") + std::to_string(codes[i]);
  return out + "*/ ";
}

Recordset internal::OpenRecordset(Connection& conn, std::string_view source) {
  auto rs = std::make_unique<Recordset::Impl>();
  rs->conn = &conn;
  rs->source = std::string(source);
  jet::Statement st;
  std::vector<jet::TypeCode> inferred;
  std::string name;
  // DAO opens a table or query by its bare name, spaces and all, or in brackets.
  ObjectKind kind = conn.Lookup(source, &name);
  std::vector<jet::Token> tokens =
      kind == ObjectKind::kNone ? jet::Lex(source) : std::vector<jet::Token>{};
  bool one_name = tokens.size() == 2 && tokens[0].kind == jet::TokenKind::kIdentifier &&
                  !tokens[0].IsKeyword("select");
  if (one_name) kind = conn.Lookup(tokens[0].text, &name);
  if (kind != ObjectKind::kNone || one_name) {
    if (kind == ObjectKind::kNone) {
      throw Error(Error::Kind::kNoSuchObject, NoSuchObjectMessage(tokens[0].text), rs->source);
    }
    st.body = SelectAllFrom(name);
    if (kind == ObjectKind::kView) inferred = ParseTypeComment(ViewSql(conn, name));
  } else {
    st = jet::Parse(source);
    if (!std::holds_alternative<jet::Select>(st.body) ||
        !std::get<jet::Select>(st.body).into.empty()) {
      throw Error(Error::Kind::kParse,
                  "记录集只能打开表、查询或 SELECT 语句。\n语句：" + rs->source, rs->source);
    }
    inferred = InferredTypes(conn, std::get<jet::Select>(st.body));
  }
  const jet::Select& select = std::get<jet::Select>(st.body);
  jet::EditableSelect editable{kRowidAlias};
  bool can_edit = IsEditable(conn, select, &rs->table);
  if (!can_edit) rs->table.clear();
  rs->sql = jet::PrintSelect(select, conn.PrintContextFor(source), can_edit ? &editable : nullptr);
  rs->stmt = conn.Prepare(rs->sql, source);
  int columns = sqlite3_column_count(rs->stmt.get());
  rs->field_count = can_edit ? columns - 1 : columns;
  for (int i = 0; i < rs->field_count; ++i) {
    const char* name = sqlite3_column_name(rs->stmt.get(), i);
    rs->names.emplace_back(name ? name : "");
  }
  if (can_edit) MapEditableFields(*rs, select);
  rs->Step();
  ResolveTypes(*rs, inferred);
  return Recordset(std::move(rs));
}

sqlite3_stmt* Recordset::Impl::UpdateStatement(const std::vector<int>& fields) {
  std::string key;
  for (int f : fields) key += std::to_string(f) + ",";
  auto it = updates.find(key);
  if (it != updates.end()) return it->second.get();
  std::string sql = "UPDATE " + jet::QuoteIdentifier(table) + " SET ";
  for (size_t i = 0; i < fields.size(); ++i) {
    sql += (i ? ", " : "") + jet::QuoteIdentifier(field_column[fields[i]]) + " = ?" +
           std::to_string(i + 1);
  }
  sql += " WHERE _rowid_ = ?" + std::to_string(fields.size() + 1);
  return updates.emplace(key, conn->Prepare(sql, source)).first->second.get();
}

Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() {
  Close();
}

static Recordset::Impl& Open(const std::unique_ptr<Recordset::Impl>& impl) {
  if (!impl) throw Error(Error::Kind::kState, "记录集已经关闭。");
  return *impl;
}

int Recordset::FieldCount() const {
  return Open(impl_).field_count;
}

const std::string& Recordset::FieldName(int index) const {
  Open(impl_).RequireField(index);
  return impl_->names[index];
}

FieldType Recordset::FieldTypeOf(int index) const {
  Open(impl_).RequireField(index);
  return impl_->types[index];
}

Value Recordset::FieldValue(int index) const {
  Impl& rs = Open(impl_);
  rs.RequireField(index);
  rs.RequireRecord();
  if (rs.written[index]) return *rs.written[index];
  return internal::ColumnValue(rs.stmt.get(), index);
}

ValueView Recordset::FieldView(int index) const {
  Impl& rs = Open(impl_);
  rs.RequireField(index);
  rs.RequireRecord();
  if (rs.written[index]) return rs.written[index]->View();
  return internal::ColumnView(rs.stmt.get(), index);
}

int Recordset::FieldIndex(std::string_view name) const {
  Impl& rs = Open(impl_);
  for (int i = 0; i < rs.field_count; ++i) {
    if (jet::EqualsIgnoreCase(rs.names[i], name)) return i;
  }
  return -1;
}

bool Recordset::Eof() const {
  return Open(impl_).eof;
}

void Recordset::MoveFirst() {
  Impl& rs = Open(impl_);
  sqlite3_reset(rs.stmt.get());
  rs.Step();
}

void Recordset::MoveNext() {
  Impl& rs = Open(impl_);
  rs.RequireRecord();
  rs.Step();
}

int64_t Recordset::RecordCount() {
  Impl& rs = Open(impl_);
  if (!rs.count) {
    Stmt stmt = rs.conn->Prepare("SELECT count(*) FROM (" + rs.sql + ")", rs.source);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) rs.conn->Fail(rs.source);
    rs.count = sqlite3_column_int64(stmt.get(), 0);
  }
  return *rs.count;
}

void Recordset::Edit() {
  Impl& rs = Open(impl_);
  if (rs.table.empty()) {
    throw Error(Error::Kind::kState,
                "这个记录集不能修改：它不是单个表上的记录集。\n语句：" + rs.source);
  }
  rs.RequireRecord();
  if (rs.conn->ReadOnly()) rs.conn->FailReadOnly();
  rs.editing = true;
  rs.pending.assign(rs.field_count, std::nullopt);
}

void Recordset::SetField(int index, const Value& value) {
  Impl& rs = Open(impl_);
  rs.RequireField(index);
  if (!rs.editing) throw Error(Error::Kind::kState, "修改字段之前要先调用 Edit。");
  if (rs.field_column[index].empty()) {
    throw Error(Error::Kind::kState, "字段“" + rs.names[index] + "”是计算出来的，不能修改。");
  }
  rs.pending[index] = internal::StoredValue(value, rs.field_store_type[index]);
}

void Recordset::Update() {
  Impl& rs = Open(impl_);
  if (!rs.editing) throw Error(Error::Kind::kState, "没有正在修改的记录：请先调用 Edit。");
  rs.RequireRecord();
  std::vector<int> fields;
  for (int i = 0; i < rs.field_count; ++i) {
    if (rs.pending[i]) fields.push_back(i);
  }
  rs.editing = false;
  if (fields.empty()) return;
  sqlite3_stmt* update = rs.UpdateStatement(fields);
  for (size_t i = 0; i < fields.size(); ++i) {
    internal::BindValue(update, static_cast<int>(i + 1), *rs.pending[fields[i]]);
  }
  sqlite3_bind_int64(update, static_cast<int>(fields.size() + 1),
                     sqlite3_column_int64(rs.stmt.get(), rs.field_count));
  rs.conn->BeginImplicitTransaction();
  int rc = sqlite3_step(update);
  sqlite3_reset(update);
  if (rc != SQLITE_DONE) rs.conn->Fail(rs.source);
  for (int f : fields) rs.written[f] = rs.pending[f];
}

void Recordset::Close() {
  if (!impl_) return;
  impl_->conn->CommitImplicitTransaction();
  impl_.reset();
}

}  // namespace engine
