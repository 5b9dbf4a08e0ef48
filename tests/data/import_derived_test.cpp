// The import fills the totals, line counts and ranks of 统计表 in memory as
// it writes the rows; the two UPDATE statements and rank walks define them.
// Each sheet below is written both ways and the tables compared value by
// value, storage class and bits, on the cases where arithmetic in memory
// most easily drifts from SQL.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "../scratch_dir.h"
#include "common/progress.h"
#include "data/import_statistics.h"
#include "data/import_table.h"
#include "data/workbook.h"
#include "engine/database.h"

namespace data {
namespace {

namespace fs = std::filesystem;

struct Subject {
  std::string name;
  int full_mark, excellent, good, pass, main, weight;
};

// A score cell: a number, a typed text, or nothing.
using Score = std::variant<std::monostate, double, std::string>;

struct Case {
  const char* what;
  std::vector<Subject> subjects;
  std::vector<std::vector<Score>> rows;
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

// The case as a checked score sheet: 学号, then one column per subject.
class CaseSheet {
 public:
  explicit CaseSheet(const Case& c) : sheet_("Sheet1", std::make_shared<StringPool>()) {
    table_.sheet = &sheet_;
    table_.columns = {"学号"};
    for (const Subject& s : c.subjects) table_.columns.push_back(s.name);
    for (std::size_t col = 0; col < table_.columns.size(); ++col)
      sheet_.SetText(0, col, table_.columns[col]);
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      sheet_.SetNumber(r + 1, 0, static_cast<double>(r + 1));
      for (std::size_t i = 0; i < c.rows[r].size(); ++i) {
        if (const double* d = std::get_if<double>(&c.rows[r][i]))
          sheet_.SetNumber(r + 1, i + 1, *d);
        if (const auto* t = std::get_if<std::string>(&c.rows[r][i]))
          sheet_.SetText(r + 1, i + 1, *t);
      }
      table_.rows.push_back(r + 1);
    }
    for (const Subject& s : c.subjects) subjects_.insert(s.name);
  }
  std::vector<const SheetTable*> parts() const { return {&table_}; }
  std::vector<OutputColumn> columns() const { return TableColumns(parts(), subjects_, {}, false); }

 private:
  Sheet sheet_;
  SheetTable table_;
  std::set<std::string> subjects_;
};

// An empty 统计表 with its derived columns, as the import creates it.
engine::Database Create(const fs::path& path, const CaseSheet& sheet) {
  engine::Database db = engine::Database::OpenOrCreate(path.string());
  CreateTable(db, "统计表", sheet.columns());
  common::NullProgress progress;
  AddDerivedColumns(db, progress);
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

void FillBySql(engine::Database& db, const CaseSheet& sheet, const SubjectLines& lines) {
  InsertTableRows(db, "统计表", sheet.columns(), sheet.parts());
  common::NullProgress progress;
  FillDerivedColumnsBySql(db, lines, progress);
}

std::optional<DerivedColumns> Derive(engine::Database& db, const CaseSheet& sheet,
                                     const SubjectLines& lines) {
  std::optional<ScoreRow> scores = ScoresOf(sheet.columns(), sheet.parts(), lines);
  if (!scores) return std::nullopt;
  return DerivedColumns::Compute(db, lines, RowCount(sheet.parts()), *scores);
}

class ImportDerivedTest : public ::testing::Test {
 protected:
  test_support::ScratchDir scratch_{"scorestat_derived"};
  const fs::path& dir_ = scratch_.path();
};

const Score kAbsent;

TEST_F(ImportDerivedTest, InMemoryTotalsCountsAndRanksEqualTheStatements) {
  const Subject chinese{"语文", 150, 85, 75, 60, 1, 100};
  const std::vector<Case> cases = {
      {"ties and absent scores; 127.5 is exactly the 85 % line of 150",
       {chinese, {"数学", 150, 85, 75, 60, 1, 100}, {"体育", 100, 90, 80, 60, 0, 50}},
       {{127.5, 122.5, 90.0},
        {125.0, 125.0, kAbsent},
        {150.0, 100.0, 59.5},
        {kAbsent, kAbsent, kAbsent},
        {100.0, 150.0, 60.0},
        {127.4999, 0.0, 100.0}}},
      // 0.33 and 0.07 are not exact in binary: the sums must take the very
      // doubles of the literals, in the statement's order, then single precision.
      {"fractional weights whose totals differ only below single precision",
       {{"物理", 100, 85, 75, 60, 1, 33},
        {"化学", 100, 85, 75, 60, 1, 7},
        {"生物", 100, 85, 75, 60, 0, 1}},
       {{97.3, 88.1, 77.7},
        {97.30000001, 88.1, 77.7},
        {0.1, 0.2, 0.3},
        {0.3, 0.2, 0.1},
        {33.333333, 66.666667, 99.999999}}},
      {"a subject nobody sat, and no main subject",
       {{"政治", 100, 85, 75, 60, 0, 100}, {"历史", 100, 85, 75, 60, 0, 100}},
       {{80.0, kAbsent}, {80.0, kAbsent}, {kAbsent, kAbsent}, {95.0, kAbsent}}},
      // SQLite keeps -0 as 0 and NaN as NULL; a negative score weighted 0
      // is -0 in memory, stored as 0 all the same.
      {"negative, signed-zero and NaN scores, weights 0 and 2",
       {{"地理", 100, 85, 75, 60, 1, 0}, {"英语", 150, 85, 75, 60, 0, 200}},
       {{-5.0, -0.0}, {-0.0, -3.0}, {90.0, std::nan("")}, {std::nan(""), 128.0}, {-1.0, -1.0}}},
      // Texts are scores when they hold a number (full-width digits too)
      // and absent otherwise, the same for the row and for its totals.
      {"scores typed as text",
       {chinese},
       {{std::string(" ８５．５ ")}, {std::string("缺考")}, {std::string("90")}, {85.5}}},
      {"no subject at all", {}, {{}, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SubjectLines lines = LinesOf(c);
    const CaseSheet sheet(c);
    const fs::path name = dir_ / std::to_string(&c - cases.data());
    engine::Database fast = Create(name.string() + "_fast.db", sheet);
    engine::Database sql = Create(name.string() + "_sql.db", sheet);
    const std::optional<DerivedColumns> derived = Derive(fast, sheet, lines);
    ASSERT_TRUE(derived.has_value());
    InsertTableRows(fast, "统计表", sheet.columns(), sheet.parts(), &*derived);
    FillBySql(sql, sheet, lines);
    EXPECT_EQ(Contents(fast), Contents(sql));
  }
}

// What the memory path does not copy is left to the statements.
TEST_F(ImportDerivedTest, LeavesToTheStatementsWhatItDoesNotReproduce) {
  const Subject chinese{"语文", 150, 85, 75, 60, 1, 100};
  const struct {
    const char* what;
    std::vector<std::vector<Score>> rows;
    std::vector<Subject> lines;  // beyond the sheet's subject 语文
  } refusals[] = {
      {"an infinite score", {{90.0}, {HUGE_VAL}}, {}},
      {"a subject of the lines without a column of scores",
       {{90.0}},
       {{"数学", 150, 85, 75, 60, 1, 100}}},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.what);
    const CaseSheet sheet(Case{"", {chinese}, r.rows});
    Case with_lines{"", {chinese}, {}};
    with_lines.subjects.insert(with_lines.subjects.end(), r.lines.begin(), r.lines.end());
    engine::Database db = Create(dir_ / (std::to_string(&r - refusals) + ".db"), sheet);
    EXPECT_FALSE(Derive(db, sheet, LinesOf(with_lines)).has_value());
  }
}

}  // namespace
}  // namespace data
