// The derived columns of 统计表 computed in memory: what the two UPDATE
// statements and the two rank walks store.
//
// Why it is the same to the last bit: SQLite evaluates the statements in
// double precision, left to right, an empty score adding 0 × weight and
// failing every line; the weights and lines are the statements' own
// literals, read back through SQLite; the scores are the doubles the import
// binds into the DOUBLE columns, which SQLite keeps exactly (NaN becomes
// NULL; -0 becomes 0, which no sum or comparison tells apart); the totals are rounded to single
// precision as jet_single does, and the ranks come from the walk the SQL path uses over the same
// totals in descending order (equal totals share a rank, so the order among them does not matter).
// An infinite score is left to the statements rather than reasoned about.
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

// One row's scores into its totals and counts; false for a score the
// arithmetic here would not reproduce.
bool AddRow(const double* scores, const std::vector<Term>& terms, float& main_total,
            float& all_total, std::array<std::uint16_t, 6>& counts) {
  double all = 0, main = 0;
  bool any = false, any_main = false;
  counts = {};
  for (std::size_t i = 0; i < terms.size(); ++i) {
    const bool present = !std::isnan(scores[i]);
    // As SQLite reads NULL back: it adds 0 × weight.
    const double score = present ? scores[i] : 0;
    if (!std::isfinite(score)) return false;
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
  main_total = static_cast<float>(main);
  all_total = static_cast<float>(all);
  return true;
}

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

}  // namespace

std::optional<DerivedColumns> DerivedColumns::Compute(engine::Database& db,
                                                      const SubjectLines& lines, std::size_t rows,
                                                      const ScoreRow& scores) {
  const std::optional<std::vector<Term>> terms = ReadTerms(db.handle(), lines);
  if (!terms) return std::nullopt;
  DerivedColumns d;
  d.main_total_.resize(rows);
  d.all_total_.resize(rows);
  d.counts_.resize(rows);
  std::vector<double> row_scores(terms->size());
  for (std::size_t r = 0; r < rows; ++r) {
    scores(row_scores.data());
    if (!AddRow(row_scores.data(), *terms, d.main_total_[r], d.all_total_[r], d.counts_[r]))
      return std::nullopt;
  }
  d.main_rank_ = Ranks(d.main_total_);
  d.all_rank_ = Ranks(d.all_total_);
  return d;
}

void DerivedColumns::Bind(sqlite3_stmt* stmt, int first, std::size_t row) const {
  sqlite3_bind_double(stmt, first, main_total_[row]);
  sqlite3_bind_double(stmt, first + 1, all_total_[row]);
  sqlite3_bind_int64(stmt, first + 2, main_rank_[row]);
  sqlite3_bind_int64(stmt, first + 3, all_rank_[row]);
  for (int k = 0; k < 6; ++k)
    sqlite3_bind_int(stmt, first + 4 + k, counts_[row][static_cast<std::size_t>(k)]);
}

}  // namespace data
