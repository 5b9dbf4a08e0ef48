// The derived columns of 统计表 in one read and one write: what the two
// UPDATE statements and the two rank walks store, computed in memory.
//
// Why it is the same to the last bit: SQLite evaluates the statements in
// double precision, left to right, an empty score adding 0 × weight and
// failing every line; the weights and lines are the statements' own
// literals, read back through SQLite; the totals are rounded to single
// precision as jet_single does, and the ranks come from the walk the SQL
// path uses over the same totals in descending order (equal totals share a
// rank, so the order among them does not matter). Whole-number scores are
// exact in double precision as long as they are small, hence the ±2^31
// bound (a negative one weighted 0 gives -0 here and 0 there, stored
// alike); a text in a score column compares and converts in SQL in ways not
// worth copying, so it sends the import back to the statements.
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "common/text_number.h"
#include "data/import_statistics.h"
#include "data/weighted_totals.h"
#include "engine/jet_lexer.h"
#include "engine/sqlite_printer.h"

namespace data {
namespace {

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// Null when SQLite refuses the text (a column or the table is missing).
StatementPtr Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    stmt = nullptr;
  }
  return StatementPtr(stmt, sqlite3_finalize);
}

[[noreturn]] void Fail(sqlite3* db) {
  throw engine::Error(engine::Error::Kind::kExecute,
                      std::string("写入统计表失败：") + sqlite3_errmsg(db), "UPDATE 统计表");
}

// What one subject adds to a student's totals and counts.
struct Term {
  double weight = 0;
  std::array<double, 3> lines{};  // 优秀, 优良, 及格
  bool main = false;
};

// The statements' literals as SQLite reads them, so that "0.33" is the very
// double the UPDATE multiplies by.
std::optional<std::vector<Term>> ReadTerms(sqlite3* db, const SubjectLines& lines) {
  std::vector<Term> terms(static_cast<std::size_t>(lines.Count()));
  if (terms.empty()) return terms;
  std::string sql = "SELECT ";
  for (int i = 0; i < lines.Count(); ++i) {
    sql += (i ? "," : "") + WeightText(lines, i);
    for (int pct : {lines.ExcellentPct[i], lines.GoodPct[i], lines.PassPct[i]})
      sql += "," + LineText(lines, i, pct);
  }
  StatementPtr stmt = Prepare(db, sql);
  if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) return std::nullopt;
  for (int i = 0; i < lines.Count(); ++i) {
    Term& t = terms[static_cast<std::size_t>(i)];
    for (int k = 0; k < 4; ++k) {
      const int type = sqlite3_column_type(stmt.get(), 4 * i + k);
      if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return std::nullopt;
      const double v = sqlite3_column_double(stmt.get(), 4 * i + k);
      (k == 0 ? t.weight : t.lines[static_cast<std::size_t>(k - 1)]) = v;
    }
    t.main = lines.IsMain(i);
  }
  return terms;
}

// A name of the row id that no column of 统计表 takes for itself.
std::optional<std::string> RowIdName(const engine::Database& db) {
  const std::vector<std::string> columns = db.ColumnNames("统计表");
  for (const char* name : {"_rowid_", "rowid", "oid"}) {
    const bool taken = std::any_of(columns.begin(), columns.end(), [&](const std::string& c) {
      return engine::jet::EqualsIgnoreCase(c, name);
    });
    if (!taken) return name;
  }
  return std::nullopt;
}

struct Derived {
  std::vector<std::int64_t> row_ids;
  std::vector<float> main_total, all_total;
  // Per row: 主科 优秀, 优良, 及格, then 全科 优秀, 优良, 及格.
  std::vector<std::array<std::uint16_t, 6>> counts;
};

// One row's scores into its totals and counts; false for a score the
// arithmetic here would not reproduce.
bool AddRow(sqlite3_stmt* stmt, const std::vector<Term>& terms, Derived& d) {
  constexpr double kExactWhole = 2147483648.0;
  double all = 0, main = 0;
  bool any = false, any_main = false;
  std::array<std::uint16_t, 6> counts{};
  for (std::size_t i = 0; i < terms.size(); ++i) {
    const int column = static_cast<int>(i) + 1;
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) return false;
    const bool present = type != SQLITE_NULL;
    const double score = present ? sqlite3_column_double(stmt, column) : 0;
    if (!std::isfinite(score)) return false;
    if (type == SQLITE_INTEGER && !(score > -kExactWhole && score < kExactWhole)) return false;
    const Term& t = terms[i];
    const double weighted = score * t.weight;
    all = any ? all + weighted : weighted;
    any = true;
    if (t.main) {
      main = any_main ? main + weighted : weighted;
      any_main = true;
    }
    for (std::size_t k = 0; k < 3; ++k) {
      const bool reached = present && score >= t.lines[k];
      counts[3 + k] += reached;
      if (t.main) counts[k] += reached;
    }
  }
  d.main_total.push_back(static_cast<float>(main));
  d.all_total.push_back(static_cast<float>(all));
  d.counts.push_back(counts);
  return true;
}

std::optional<Derived> ComputeDerived(engine::Database& db, const SubjectLines& lines) {
  sqlite3* handle = db.handle();
  const std::optional<std::vector<Term>> terms = ReadTerms(handle, lines);
  const std::optional<std::string> row_id = RowIdName(db);
  if (!terms || !row_id) return std::nullopt;
  std::string sql = "SELECT " + *row_id;
  for (const std::string& name : lines.SubjectName) sql += "," + engine::jet::QuoteIdentifier(name);
  StatementPtr stmt = Prepare(handle, sql + " FROM \"统计表\"");
  if (!stmt) return std::nullopt;
  Derived d;
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    d.row_ids.push_back(sqlite3_column_int64(stmt.get(), 0));
    if (!AddRow(stmt.get(), *terms, d)) return std::nullopt;
  }
  if (rc != SQLITE_DONE) return std::nullopt;
  return d;
}

// Ranks fit 32 bits: a table has fewer rows than that.
std::vector<std::uint32_t> Ranks(const std::vector<float>& totals) {
  std::vector<std::uint32_t> order(totals.size());
  std::iota(order.begin(), order.end(), 0U);
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return totals[a] > totals[b]; });
  std::vector<std::uint32_t> ranks(totals.size());
  RankWalk walk;
  for (std::uint32_t i : order) ranks[i] = static_cast<std::uint32_t>(walk.Next(totals[i]));
  return ranks;
}

// One UPDATE per row by its row id, in the order the rows were read (the
// table's own order, so the pages are visited once each).
void WriteBack(engine::Database& db, const Derived& d, const std::string& row_id) {
  sqlite3* handle = db.handle();
  const char* const kColumns[] = {"主科总分",   "全科总分",   "主科排名",   "全科排名",
                                  "主科优秀数", "主科优良数", "主科及格数", "全科优秀数",
                                  "全科优良数", "全科及格数"};
  std::string sql = "UPDATE \"统计表\" SET ";
  for (std::size_t k = 0; k < std::size(kColumns); ++k)
    sql += (k ? ",\"" : "\"") + std::string(kColumns[k]) + "\"=?" + std::to_string(k + 1);
  StatementPtr stmt = Prepare(handle, sql + " WHERE " + row_id + "=?11");
  if (!stmt) Fail(handle);
  const std::vector<std::uint32_t> main_ranks = Ranks(d.main_total);
  const std::vector<std::uint32_t> all_ranks = Ranks(d.all_total);
  sqlite3_stmt* s = stmt.get();
  for (std::size_t r = 0; r < d.row_ids.size(); ++r) {
    sqlite3_bind_double(s, 1, d.main_total[r]);
    sqlite3_bind_double(s, 2, d.all_total[r]);
    sqlite3_bind_int64(s, 3, main_ranks[r]);
    sqlite3_bind_int64(s, 4, all_ranks[r]);
    for (int k = 0; k < 6; ++k)
      sqlite3_bind_int(s, 5 + k, d.counts[r][static_cast<std::size_t>(k)]);
    sqlite3_bind_int64(s, 11, d.row_ids[r]);
    if (sqlite3_step(s) != SQLITE_DONE) Fail(handle);
    sqlite3_reset(s);
  }
}

}  // namespace

bool WriteDerivedColumns(engine::Database& db, const SubjectLines& lines,
                         common::ProgressSink& progress) {
  const std::optional<Derived> derived = ComputeDerived(db, lines);
  if (!derived) return false;
  progress.Report(90, 100, "正在排名……");
  WriteBack(db, *derived, *RowIdName(db));
  return true;
}

}  // namespace data
