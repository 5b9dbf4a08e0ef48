#include "data/import_table.h"

#include <sqlite3.h>

#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "common/text_number.h"
#include "data/import_text.h"
#include "engine/jet_lexer.h"
#include "engine/sqlite_printer.h"

namespace data {

namespace {

// Rows per INSERT: one statement's work is shared by this many rows, and
// their parameters stay far below SQLite's limit of 32766.
constexpr std::size_t kBatchRows = 64;

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

[[noreturn]] void FailWrite(sqlite3* db, const std::string& table) {
  throw engine::Error(engine::Error::Kind::kExecute,
                      "写入" + table + "失败：" + std::string(sqlite3_errmsg(db)),
                      "INSERT INTO " + table);
}

StatementPtr PrepareInsert(sqlite3* db, const std::string& table,
                           const std::vector<std::string>& names, std::size_t rows) {
  std::string sql = "INSERT INTO " + engine::jet::QuoteIdentifier(table) + " (";
  std::string marks = "(";
  for (std::size_t c = 0; c < names.size(); ++c) {
    sql += (c ? "," : "") + engine::jet::QuoteIdentifier(names[c]);
    marks += c ? ",?" : "?";
  }
  sql += ") VALUES ";
  for (std::size_t r = 0; r < rows; ++r) sql += (r ? ",\n" : "") + marks + ")";
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    FailWrite(db, table);
  }
  return StatementPtr(stmt, sqlite3_finalize);
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
  // A null pointer would bind NULL, not the empty text.
  sqlite3_bind_text(stmt, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                    SQLITE_STATIC);
}

// The number a cell stores under a numeric column; nullopt stores NULL (an
// empty cell, a blank text).
std::optional<double> StoredNumber(const CellValue& v) {
  if (v.kind == CellKind::kNumber) return v.number;
  if (v.kind == CellKind::kText) return NumberInText(v.text);
  return std::nullopt;
}

// Binds the value a cell stores under `column`: a number, a text, or NULL
// for an empty cell and for a blank text under a numeric column.
void BindCell(sqlite3_stmt* stmt, int index, const CellValue& v, const OutputColumn& column) {
  if (column.numeric) {
    const std::optional<double> n = StoredNumber(v);
    n ? sqlite3_bind_double(stmt, index, *n) : sqlite3_bind_null(stmt, index);
  } else if (v.kind == CellKind::kText) {
    BindText(stmt, index, column.trim ? TrimBlanks(v.text) : v.text);
  } else if (v.kind == CellKind::kNumber) {
    const std::string text = common::TextOfDouble(v.number);
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  } else {
    sqlite3_bind_null(stmt, index);
  }
}

// The parts' rows one after the other, as (sheet table, sheet row).
class RowCursor {
 public:
  explicit RowCursor(std::vector<const SheetTable*> parts) : parts_(std::move(parts)) {}
  // Moves to the next row; false after the last.
  bool Next() {
    ++next_;
    while (part_ < parts_.size() && next_ >= parts_[part_]->rows.size()) ++part_, next_ = 0;
    return part_ < parts_.size();
  }
  // The row's cell under `column`; empty where its sheet lacks the column.
  CellValue Cell(const OutputColumn& column) const {
    const SheetTable& part = *parts_[part_];
    const std::size_t source = column.source[part_];
    return source == kNoColumn ? CellValue{} : part.sheet->At(part.rows[next_], source);
  }

 private:
  std::vector<const SheetTable*> parts_;
  std::size_t part_ = 0;
  std::size_t next_ = static_cast<std::size_t>(-1);
};

}  // namespace

std::vector<OutputColumn> TableColumns(const std::vector<const SheetTable*>& parts,
                                       const std::set<std::string>& numeric,
                                       const std::set<std::string>& trimmed, bool trim_all) {
  std::vector<OutputColumn> columns;
  std::map<std::string, std::size_t> index;
  for (std::size_t p = 0; p < parts.size(); ++p) {
    for (std::size_t c = 0; c < parts[p]->columns.size(); ++c) {
      const std::string& name = parts[p]->columns[c];
      auto [it, fresh] = index.emplace(name, columns.size());
      if (fresh) {
        columns.push_back({name, true, trim_all || trimmed.count(name) > 0,
                           std::vector<std::size_t>(parts.size(), kNoColumn)});
      }
      columns[it->second].source[p] = c;
    }
  }
  for (OutputColumn& column : columns) {
    if (numeric.count(column.name)) continue;
    for (std::size_t p = 0; p < parts.size() && column.numeric; ++p) {
      if (column.source[p] == kNoColumn) continue;
      for (std::size_t r : parts[p]->rows) {
        const CellValue v = parts[p]->sheet->At(r, column.source[p]);
        if (v.kind == CellKind::kText && !IsBlankText(v.text)) {
          column.numeric = false;
          break;
        }
      }
    }
  }
  return columns;
}

void CreateTable(engine::Database& db, const std::string& table,
                 const std::vector<OutputColumn>& columns) {
  std::string create = "CREATE TABLE [" + table + "] (";
  for (std::size_t c = 0; c < columns.size(); ++c)
    create += (c ? ", [" : "[") + columns[c].name + "] " + (columns[c].numeric ? "DOUBLE" : "TEXT");
  db.Execute(create + ")");
}

void InsertTableRows(engine::Database& db, const std::string& table,
                     const std::vector<OutputColumn>& columns,
                     const std::vector<const SheetTable*>& parts, const DerivedColumns* derived) {
  sqlite3* handle = db.handle();
  std::vector<std::string> names;
  for (const OutputColumn& c : columns) names.push_back(c.name);
  if (derived)
    names.insert(names.end(), DerivedColumns::kNames.begin(), DerivedColumns::kNames.end());
  const auto width = static_cast<int>(names.size());
  StatementPtr batch = PrepareInsert(handle, table, names, kBatchRows);
  StatementPtr single = PrepareInsert(handle, table, names, 1);
  const std::size_t total = RowCount(parts);
  RowCursor cursor(parts);
  for (std::size_t done = 0; done < total;) {
    const std::size_t rows = total - done >= kBatchRows ? kBatchRows : 1;
    sqlite3_stmt* stmt = rows == kBatchRows ? batch.get() : single.get();
    for (std::size_t k = 0; k < rows; ++k, ++done) {
      cursor.Next();
      const int first = static_cast<int>(k) * width + 1;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        BindCell(stmt, first + static_cast<int>(c), cursor.Cell(columns[c]), columns[c]);
      }
      if (derived) derived->Bind(stmt, first + static_cast<int>(columns.size()), done);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) FailWrite(handle, table);
    sqlite3_reset(stmt);
  }
}

std::optional<ScoreRow> ScoresOf(const std::vector<OutputColumn>& columns,
                                 const std::vector<const SheetTable*>& parts,
                                 const SubjectLines& lines) {
  std::vector<OutputColumn> subjects;
  for (const std::string& name : lines.SubjectName) {
    const OutputColumn* found = nullptr;
    for (const OutputColumn& c : columns)
      if (engine::jet::EqualsIgnoreCase(c.name, name)) found = found ? found : &c;
    if (!found || !found->numeric) return std::nullopt;
    subjects.push_back(*found);
  }
  auto cursor = std::make_shared<RowCursor>(parts);
  return [subjects, cursor](double* scores) {
    cursor->Next();
    for (std::size_t i = 0; i < subjects.size(); ++i)
      scores[i] = StoredNumber(cursor->Cell(subjects[i])).value_or(std::nan(""));
  };
}

std::size_t RowCount(const std::vector<const SheetTable*>& parts) {
  std::size_t n = 0;
  for (const SheetTable* p : parts) n += p->rows.size();
  return n;
}

}  // namespace data
