#include "stats/stored_columns.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "data/score_database.h"

namespace stats {
namespace {

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

constexpr const char* kCounter = "版本";
constexpr const char* kTableText = "成绩表";  // the entry holding 成绩表's CREATE text
constexpr const char* kWholeTable = "全表";   // the listings' entry

// Names and texts of the triggers, exactly as sqlite_master keeps them.
const std::map<std::string, std::string>& Triggers() {
  static const std::map<std::string, std::string> kTriggers = [] {
    std::map<std::string, std::string> out;
    for (const auto& [name, event] :
         {std::pair{"成绩表快照_增", "INSERT"}, std::pair{"成绩表快照_改", "UPDATE"},
          std::pair{"成绩表快照_删", "DELETE"}})
      out[name] = std::string("CREATE TRIGGER \"") + name + "\" AFTER " + event +
                  " ON \"成绩表\" BEGIN UPDATE \"成绩表快照\" SET \"版本\" = \"版本\" + 1 "
                  "WHERE \"名称\" = '版本'; END";
    return out;
  }();
  return kTriggers;
}

std::string RowsEntry(const std::vector<std::string>& keys) {
  std::string name = "分组:";
  for (std::size_t i = 0; i < keys.size(); ++i) name += (i ? "," : "") + keys[i];
  return name;
}

std::string ColumnEntry(const std::string& column) {
  return "列:" + column;
}

Stmt Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return Stmt(stmt);
}

bool Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string_view BlobOf(sqlite3_stmt* stmt, int i) {
  const void* data = sqlite3_column_blob(stmt, i);
  return {static_cast<const char*>(data),
          data ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)) : 0};
}

// 成绩表's CREATE text, when its triggers are all in place.
std::optional<std::string> GuardedTableText(sqlite3* db) {
  Stmt stmt = Prepare(db,
                      "SELECT type, name, sql FROM sqlite_master WHERE tbl_name = '成绩表' AND "
                      "type IN ('table', 'trigger')");
  if (!stmt) return std::nullopt;
  std::optional<std::string> table;
  std::size_t triggers = 0;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    const std::string type(BlobOf(stmt.get(), 0)), name(BlobOf(stmt.get(), 1));
    const std::string_view sql = BlobOf(stmt.get(), 2);
    if (type == "table" && name == "成绩表") table = std::string(sql);
    const auto it = Triggers().find(name);
    if (type == "trigger" && it != Triggers().end() && it->second == sql) ++triggers;
  }
  if (triggers != Triggers().size()) return std::nullopt;
  return table;
}

// The current entries among `names`, by name; nothing when the copy is not
// current at all.
std::optional<std::map<std::string, std::string>> CurrentEntries(
    sqlite3* db, const std::vector<std::string>& names) {
  const std::optional<std::string> table = GuardedTableText(db);
  if (!table) return std::nullopt;
  Stmt stmt = Prepare(db, "SELECT 名称, 版本, 数据 FROM 成绩表快照");
  if (!stmt) return std::nullopt;
  std::map<std::string, std::pair<sqlite3_int64, std::string>> found;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    const std::string name(BlobOf(stmt.get(), 0));
    if (name != kCounter && name != kTableText &&
        std::find(names.begin(), names.end(), name) == names.end())
      continue;
    found[name] = {sqlite3_column_int64(stmt.get(), 1), std::string(BlobOf(stmt.get(), 2))};
  }
  const auto counter = found.find(kCounter);
  const auto text = found.find(kTableText);
  if (counter == found.end() || text == found.end() || text->second.second != *table ||
      text->second.first != counter->second.first)
    return std::nullopt;
  std::map<std::string, std::string> out;
  for (auto& [name, entry] : found)
    if (entry.first == counter->second.first) out[name] = std::move(entry.second);
  return out;
}

// Reads inside one read transaction, unless the caller already holds one.
template <typename F>
auto InReadTransaction(sqlite3* db, F&& read) {
  const bool own = sqlite3_get_autocommit(db) != 0 && Exec(db, "BEGIN");
  auto result = read();
  if (own) Exec(db, "COMMIT");
  return result;
}

std::optional<GroupedColumns> StoredCopy(sqlite3* db, const std::vector<std::string>& keys,
                                         const std::string& column) {
  return InReadTransaction(db, [&]() -> std::optional<GroupedColumns> {
    const std::string rows_name = RowsEntry(keys), column_name = ColumnEntry(column);
    const auto entries = CurrentEntries(db, {rows_name, column_name});
    if (!entries || !entries->contains(rows_name) || !entries->contains(column_name))
      return std::nullopt;
    std::optional<GroupedRows> rows = DecodeRows(entries->at(rows_name));
    std::optional<NumberColumn> values = DecodeColumn(entries->at(column_name));
    if (!rows || !values) return std::nullopt;
    GroupedColumns out;
    out.groupings.push_back(std::move(*rows));
    out.columns.push_back(std::move(*values));
    return out;
  });
}

// `keep_whole_table` keeps the listings' entry of a copy that is current:
// it depends on no grouping, and making it again cost a listing more than
// its whole report.
bool InstallGuards(sqlite3* db, bool keep_whole_table = false) {
  // Only what is written now may carry the counter's value: an entry left
  // from an older count could meet it again were the counter row ever
  // deleted and restarted.
  const std::string keep = keep_whole_table ? std::string("', '") + kWholeTable : "";
  if (!Exec(db, data::kCreateStoredColumnsTable) ||
      !Exec(db, "DELETE FROM 成绩表快照 WHERE 名称 NOT IN ('版本" + keep + "')"))
    return false;
  for (const auto& [name, text] : Triggers())
    if (!Exec(db, "DROP TRIGGER IF EXISTS \"" + name + "\"") || !Exec(db, text)) return false;
  return true;
}

bool WriteEntry(sqlite3* db, const std::string& name, sqlite3_int64 version,
                const std::string& bytes) {
  Stmt stmt =
      Prepare(db, "INSERT OR REPLACE INTO 成绩表快照 (名称, 版本, 数据) VALUES (?1, ?2, ?3)");
  if (!stmt) return false;
  sqlite3_bind_text(stmt.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
  sqlite3_bind_int64(stmt.get(), 2, version);
  sqlite3_bind_blob(stmt.get(), 3, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
  return sqlite3_step(stmt.get()) == SQLITE_DONE;
}

std::optional<sqlite3_int64> Counter(sqlite3* db) {
  Stmt counter = Prepare(db, "SELECT 版本 FROM 成绩表快照 WHERE 名称 = '版本'");
  if (!counter || sqlite3_step(counter.get()) != SQLITE_ROW) return std::nullopt;
  return sqlite3_column_int64(counter.get(), 0);
}

// Stores `read` (the groupings by `key_sets` and one column) as the whole
// copy at the counter's present value, within the caller's write
// transaction, after InstallGuards.
bool WriteCopy(sqlite3* db, const std::vector<std::vector<std::string>>& key_sets,
               const std::string& column, const GroupedColumns& read) {
  const std::optional<sqlite3_int64> version = Counter(db);
  const std::optional<std::string> table = GuardedTableText(db);
  if (!version || !table || !WriteEntry(db, kTableText, *version, *table)) return false;
  for (std::size_t s = 0; s < key_sets.size(); ++s)
    if (!WriteEntry(db, RowsEntry(key_sets[s]), *version, EncodeRows(read.groupings[s])))
      return false;
  return WriteEntry(db, ColumnEntry(column), *version, EncodeColumn(read.columns.front()));
}

// Adds the column of `read` to a current copy whose groupings are those of
// `read` row for row, so that each stored score meets the group of its own
// row. False when the copy is not current or a grouping differs (the rows
// read in another order): the copy is then made anew.
bool AddColumn(sqlite3* db, const std::vector<std::vector<std::string>>& key_sets,
               const std::string& column, const GroupedColumns& read) {
  std::vector<std::string> names;
  names.reserve(key_sets.size());
  for (const std::vector<std::string>& keys : key_sets) names.push_back(RowsEntry(keys));
  const auto entries = CurrentEntries(db, names);
  if (!entries) return false;
  for (std::size_t s = 0; s < key_sets.size(); ++s) {
    const auto it = entries->find(names[s]);
    const std::optional<GroupedRows> stored =
        it == entries->end() ? std::nullopt : DecodeRows(it->second);
    const GroupedRows& now = read.groupings[s];
    if (!stored || stored->exact != now.exact || stored->key_types != now.key_types ||
        stored->keys != now.keys || stored->group_of_row != now.group_of_row)
      return false;
  }
  const std::optional<sqlite3_int64> version = Counter(db);
  return version &&
         WriteEntry(db, ColumnEntry(column), *version, EncodeColumn(read.columns.front()));
}

// The entry is decoded where SQLite holds it: a copy of its megabytes would
// cost a page fault every 4 KB.
std::optional<engine::ValueColumns> StoredTable(sqlite3* db) {
  return InReadTransaction(db, [&]() -> std::optional<engine::ValueColumns> {
    const std::optional<sqlite3_int64> version = Counter(db);
    Stmt stmt = Prepare(db, "SELECT 版本, 数据 FROM 成绩表快照 WHERE 名称 = ?1");
    if (!CurrentEntries(db, {}) || !version || !stmt) return std::nullopt;
    sqlite3_bind_text(stmt.get(), 1, kWholeTable, -1, SQLITE_STATIC);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW || sqlite3_column_int64(stmt.get(), 0) != *version)
      return std::nullopt;
    return DecodeTable(BlobOf(stmt.get(), 1));
  });
}

// Stores `table` beside a current copy, or as the whole of a new one.
bool WriteTable(sqlite3* db, const engine::ValueColumns& table) {
  if (!CurrentEntries(db, {})) {
    const std::optional<sqlite3_int64> version = InstallGuards(db) ? Counter(db) : std::nullopt;
    const std::optional<std::string> text = GuardedTableText(db);
    if (!version || !text || !WriteEntry(db, kTableText, *version, *text)) return false;
  }
  const std::optional<sqlite3_int64> version = Counter(db);
  return version && WriteEntry(db, kWholeTable, *version, EncodeTable(table));
}

// What `read(storing)` reads, stored by `store` when the file can be
// written. The write lock is held from before the rows are read to the
// commit, so no edit can fall between them and the counter stored with
// them; a file that cannot be locked or written is only read.
template <typename Read, typename Store>
auto ReadAndStore(sqlite3* handle, const Read& read, const Store& store) {
  if (sqlite3_get_autocommit(handle) == 0 || !Exec(handle, "BEGIN IMMEDIATE")) return read(false);
  decltype(read(true)) result;
  try {
    result = read(true);
  } catch (...) {
    Exec(handle, "ROLLBACK");
    throw;
  }
  if (!(store(result) && Exec(handle, "COMMIT"))) Exec(handle, "ROLLBACK");
  return result;
}

}  // namespace

engine::ValueColumns ReadStoredTable(engine::Database& db) {
  sqlite3* handle = db.handle();
  if (std::optional<engine::ValueColumns> stored = StoredTable(handle)) return *std::move(stored);
  return ReadAndStore(
      handle, [&](bool) { return engine::ReadValueColumns(db, "成绩表"); },
      [&](const engine::ValueColumns& got) { return WriteTable(handle, got); });
}

bool StoredTableCurrent(engine::Database& db) {
  return StoredTable(db.handle()).has_value();
}

GroupedColumns ReadStoredColumns(engine::Database& db, const std::vector<std::string>& keys,
                                 const std::string& column) {
  sqlite3* handle = db.handle();
  if (std::optional<GroupedColumns> stored = StoredCopy(handle, keys, column)) return *stored;
  std::vector<std::vector<std::string>> key_sets;
  for (auto end = keys.end(); end != keys.begin(); --end) key_sets.emplace_back(keys.begin(), end);
  GroupedColumns read = ReadAndStore(
      handle,
      [&](bool storing) {
        return ReadGroupedColumns(
            db, storing ? key_sets : std::vector<std::vector<std::string>>{keys}, {column});
      },
      [&](const GroupedColumns& got) {
        return AddColumn(handle, key_sets, column, got) ||
               (InstallGuards(handle, CurrentEntries(handle, {}).has_value()) &&
                WriteCopy(handle, key_sets, column, got));
      });
  read.groupings.resize(1);
  return read;
}

bool StoredColumnsCurrent(engine::Database& db, const std::vector<std::string>& keys,
                          const std::string& column) {
  return StoredCopy(db.handle(), keys, column).has_value();
}

}  // namespace stats
