// Fuzzes the Jet-dialect translator: any text must either translate or fail
// with engine::Error, and a translation must be accepted by SQLite's parser
// or be refused by it cleanly.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string sql;
  try {
    sql = engine::TranslateToSqlite(text);
  } catch (const engine::Error&) {
    return 0;
  }
  static sqlite3* db = [] {
    sqlite3* handle = nullptr;
    sqlite3_open(":memory:", &handle);
    sqlite3_exec(handle, "CREATE TABLE 成绩表(学校 TEXT, 班级 TEXT, 语文 REAL)", nullptr, nullptr,
                 nullptr);
    return handle;
  }();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
  sqlite3_finalize(stmt);
  return 0;
}
