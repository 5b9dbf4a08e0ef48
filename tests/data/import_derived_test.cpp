// The import fills the totals, line counts and ranks of 统计表 in memory;
// the two UPDATE statements and rank walks define them. Each table below is
// filled both ways and compared value by value, storage class and bits, on
// the cases where arithmetic in memory most easily drifts from SQL.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../scratch_dir.h"
#include "common/progress.h"
#include "data/import_statistics.h"
#include "engine/database.h"

namespace data {
namespace {

namespace fs = std::filesystem;
using engine::Value;

// The derived columns as the import adds them.
const char* const kDerived[] = {
    "主科总分 SINGLE", "全科总分 SINGLE", "主科排名 LONG",   "全科排名 LONG",   "主科优秀数 LONG",
    "主科优良数 LONG", "主科及格数 LONG", "全科优秀数 LONG", "全科优良数 LONG", "全科及格数 LONG"};

struct Subject {
  std::string name;
  std::string type;  // as declared: the import writes DOUBLE
  int full_mark, excellent, good, pass, main, weight;
};

struct Case {
  const char* what;
  std::vector<Subject> subjects;
  std::vector<std::vector<std::optional<Value>>> rows;  // nullopt: absent
};

SubjectLines LinesOf(const Case& c) {
  SubjectLines lines;
  for (const Subject& s : c.subjects) {
    lines.SubjectName.push_back(s.name);
    lines.FullMark.push_back(s.full_mark);
    lines.ExcellentPct.push_back(s.excellent);
    lines.GoodPct.push_back(s.good);
    lines.PassPct.push_back(s.pass);
    lines.MainFlag.push_back(s.main);
    lines.TotalWeightPct.push_back(s.weight);
  }
  return lines;
}

engine::Database Create(const fs::path& path, const Case& c) {
  engine::Database db = engine::Database::OpenOrCreate(path.string());
  std::string create = "CREATE TABLE 统计表 (学号 LONG";
  std::vector<std::string> names = {"学号"};
  for (const Subject& s : c.subjects) create += ", [" + s.name + "] " + s.type;
  for (const Subject& s : c.subjects) names.push_back(s.name);
  db.Execute(create + ")");
  for (const char* column : kDerived)
    db.Execute(std::string("ALTER TABLE 统计表 ADD COLUMN ") + column);
  std::size_t next = 0;
  db.InsertRows("统计表", names, [&](std::vector<Value>& values) {
    if (next >= c.rows.size()) return false;
    values = {Value::Integer(static_cast<std::int64_t>(next + 1))};
    for (const std::optional<Value>& v : c.rows[next]) values.push_back(v ? *v : Value());
    ++next;
    return true;
  });
  return db;
}

// Every value of 统计表 by row id: storage class and, for a number, its bits.
std::vector<std::string> Contents(engine::Database& db) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db.handle(), "SELECT * FROM \"统计表\" ORDER BY rowid", -1, &stmt, nullptr);
  std::vector<std::string> out;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int k = 0; k < sqlite3_column_count(stmt); ++k) {
      const int type = sqlite3_column_type(stmt, k);
      row += std::to_string(type) + ":";
      if (type == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(stmt, k);
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        row += std::to_string(d) + "/" + std::to_string(bits);
      } else if (type != SQLITE_NULL) {
        row += reinterpret_cast<const char*>(sqlite3_column_text(stmt, k));
      }
      row += " ";
    }
    out.push_back(row);
  }
  sqlite3_finalize(stmt);
  return out;
}

void FillBySql(engine::Database& db, const SubjectLines& lines) {
  for (const std::string& sql : BuildTotalsStatements(lines)) db.Execute(sql);
  WriteImportRanks(db, "主科总分", "主科排名");
  WriteImportRanks(db, "全科总分", "全科排名");
}

class ImportDerivedTest : public ::testing::Test {
 protected:
  test_support::ScratchDir scratch_{"scorestat_derived"};
  const fs::path& dir_ = scratch_.path();
};

std::optional<Value> R(double v) {
  return Value::Real(v);
}
std::optional<Value> I(std::int64_t v) {
  return Value::Integer(v);
}
const std::optional<Value> kAbsent;

TEST_F(ImportDerivedTest, InMemoryTotalsCountsAndRanksEqualTheStatements) {
  const Subject chinese{"语文", "DOUBLE", 150, 85, 75, 60, 1, 100};
  const std::vector<Case> cases = {
      {"ties and absent scores; 127.5 is exactly the 85 % line of 150",
       {chinese,
        {"数学", "DOUBLE", 150, 85, 75, 60, 1, 100},
        {"体育", "DOUBLE", 100, 90, 80, 60, 0, 50}},
       {{R(127.5), R(122.5), R(90)},
        {R(125), R(125), kAbsent},
        {R(150), R(100), R(59.5)},
        {kAbsent, kAbsent, kAbsent},
        {R(100), R(150), R(60)},
        {R(127.4999), R(0), R(100)}}},
      // 0.33 and 0.07 are not exact in binary: the sums must take the very
      // doubles of the literals, in the statement's order, then single precision.
      {"fractional weights whose totals differ only below single precision",
       {{"物理", "DOUBLE", 100, 85, 75, 60, 1, 33},
        {"化学", "DOUBLE", 100, 85, 75, 60, 1, 7},
        {"生物", "DOUBLE", 100, 85, 75, 60, 0, 1}},
       {{R(97.3), R(88.1), R(77.7)},
        {R(97.30000001), R(88.1), R(77.7)},
        {R(0.1), R(0.2), R(0.3)},
        {R(0.3), R(0.2), R(0.1)},
        {R(33.333333), R(66.666667), R(99.999999)}}},
      {"a subject nobody sat, and no main subject",
       {{"政治", "DOUBLE", 100, 85, 75, 60, 0, 100}, {"历史", "DOUBLE", 100, 85, 75, 60, 0, 100}},
       {{R(80), kAbsent}, {R(80), kAbsent}, {kAbsent, kAbsent}, {R(95), kAbsent}}},
      // SQLite multiplies two whole numbers as integers, the memory path in
      // doubles; a negative score weighted 0 is 0 in one and -0 in the
      // other, which a SINGLE column stores alike.
      {"whole scores stored as integers, weights 0 and 2",
       {{"地理", "LONG", 100, 85, 75, 60, 1, 0}, {"英语", "LONG", 150, 85, 75, 60, 0, 200}},
       {{I(-5), I(0)}, {I(0), I(-3)}, {I(90), kAbsent}, {kAbsent, I(128)}, {I(-1), I(-1)}}},
      {"no subject at all", {}, {{}, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SubjectLines lines = LinesOf(c);
    const fs::path name = dir_ / std::to_string(&c - cases.data());
    engine::Database fast = Create(name.string() + "_fast.db", c);
    engine::Database sql = Create(name.string() + "_sql.db", c);
    common::NullProgress progress;
    ASSERT_TRUE(WriteDerivedColumns(fast, lines, progress));
    FillBySql(sql, lines);
    EXPECT_EQ(Contents(fast), Contents(sql));
  }
}

// Scores whose SQL arithmetic the memory path does not copy: it writes
// nothing and leaves them to the statements.
TEST_F(ImportDerivedTest, LeavesToTheStatementsWhatItDoesNotReproduce) {
  const struct {
    const char* what;
    std::optional<Value> score;
  } refusals[] = {
      {"a text that is no number (compared as text in SQL)", Value::Text("缺考")},
      {"a whole number too large for exact double arithmetic", I(std::int64_t{1} << 40)},
      {"an infinite score", R(HUGE_VAL)},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.what);
    // A LONG column keeps each of these as it is given.
    const Case c{"", {{"语文", "LONG", 150, 85, 75, 60, 1, 100}}, {{I(90)}, {r.score}}};
    engine::Database db =
        Create(dir_ / (std::string("refused_") + std::to_string(&r - refusals) + ".db"), c);
    const std::vector<std::string> before = Contents(db);
    common::NullProgress progress;
    EXPECT_FALSE(WriteDerivedColumns(db, LinesOf(c), progress));
    EXPECT_EQ(Contents(db), before);
  }
}

}  // namespace
}  // namespace data
