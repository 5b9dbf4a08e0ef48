// The stored copy of 成绩表's columns: its bytes read back as written, and
// never used once 成绩表 has changed, whoever changed it and however.
#include "stats/stored_columns.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>

#include "analysis_exam.h"
#include "engine/value_columns.h"

namespace {

using analysis_test::ExamDatabase;
using engine::Value;
using Keys = std::vector<std::string>;

const Keys kPerClass = {"学校", "班级"};
const std::vector<std::string> kSubjects = {"语文", "数学", "体育"};

// Bit for bit, so that NaN (Null) equals NaN and -0 differs from 0.
std::vector<std::uint64_t> Bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> out;
  for (const double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
  return out;
}

void ExpectSame(const stats::GroupedRows& a, const stats::GroupedRows& b) {
  EXPECT_EQ(a.exact, b.exact);
  EXPECT_EQ(a.key_types, b.key_types);
  EXPECT_EQ(a.keys, b.keys);
  EXPECT_EQ(a.group_of_row, b.group_of_row);
}

void ExpectSame(const stats::NumberColumn& a, const stats::NumberColumn& b) {
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.all_real, b.all_real);
  EXPECT_EQ(Bits(a.values), Bits(b.values));
}

TEST(StoredColumnsTest, BytesReadBackAsWrittenAndNoPartOfThemReads) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  stats::GroupedRows rows;
  rows.key_types = {engine::FieldType::kText, engine::FieldType::kDouble};
  rows.keys = {{Value(), Value()},
               {Value::Text(""), Value::Integer(3)},
               {Value::Text("一中"), Value::Real(12.5)}};
  rows.group_of_row = {2, 0, 1, 2, 2};
  const stats::GroupedRows declined{false, rows.key_types, {}, {}};
  // Past 65,536 groups a row's group no longer fits two bytes.
  stats::GroupedRows many{true, {engine::FieldType::kLong}, {}, {}};
  for (std::int64_t g = 0; g < 70000; ++g) {
    many.keys.push_back({Value::Integer(g)});
    many.group_of_row.push_back(static_cast<std::uint32_t>(69999 - g));
  }
  // Whole and half scores fit a float; 0.1 and a 学号 do not and stay doubles.
  const std::vector<stats::NumberColumn> columns = {
      {engine::FieldType::kDouble, true, {80, 77.5, nan, -0.0, 150}},
      {engine::FieldType::kDouble, true, {0.1, 2024010001, nan}},
      {engine::FieldType::kSingle, false, {}},
  };
  std::vector<std::string> encoded;
  for (const stats::GroupedRows& r : {rows, declined, many}) {
    encoded.push_back(stats::EncodeRows(r));
    const std::optional<stats::GroupedRows> back = stats::DecodeRows(encoded.back());
    ASSERT_TRUE(back.has_value());
    ExpectSame(*back, r);
  }
  for (const stats::NumberColumn& c : columns) {
    encoded.push_back(stats::EncodeColumn(c));
    const std::optional<stats::NumberColumn> back = stats::DecodeColumn(encoded.back());
    ASSERT_TRUE(back.has_value());
    ExpectSame(*back, c);
  }
  EXPECT_LT(encoded[3].size(), encoded[4].size()) << "five floats, three doubles";
  encoded.erase(encoded.begin() + 2);  // every cut of 70,000 groups would take too long
  // A cut or lengthened entry (a damaged file) is not a copy at all.
  for (const std::string& bytes : encoded)
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      const std::string cut = n < bytes.size() ? bytes.substr(0, n) : bytes + '\0';
      EXPECT_FALSE(stats::DecodeRows(cut).has_value() || stats::DecodeColumn(cut).has_value())
          << n << " of " << bytes.size() << " bytes";
    }
}

// What ReadStoredColumns gives equals a fresh read of the table.
void ExpectFresh(engine::Database& db, const std::string& subject) {
  const stats::GroupedColumns stored = stats::ReadStoredColumns(db, kPerClass, subject);
  const stats::GroupedColumns fresh = stats::ReadGroupedColumns(db, {kPerClass}, {subject});
  ASSERT_EQ(stored.groupings.size(), 1u);
  ASSERT_EQ(stored.columns.size(), 1u);
  ExpectSame(stored.groupings[0], fresh.groupings[0]);
  ExpectSame(stored.columns[0], fresh.columns[0]);
}

// What ReadStoredTable gives equals a fresh read of the table.
void ExpectFreshTable(engine::Database& db) {
  EXPECT_EQ(stats::ReadStoredTable(db), engine::ReadValueColumns(db, "成绩表"));
}

TEST(StoredColumnsTest, EveryChangeOfTheTableMakesTheNextReadFresh) {
  struct Case {
    const char* edit;
    std::function<void(ExamDatabase&, engine::Database&)> run;
  };
  analysis_test::ExamRows reimported;
  reimported.scores[1][4] = "30";  // 甲's 语文
  const Case cases[] = {
      {"an UPDATE run in 查询",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("UPDATE 成绩表 SET 语文 = 99 WHERE 学号 = 201");
       }},
      {"a row inserted",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("INSERT INTO 成绩表 (学校,学号,班级,姓名,语文) VALUES ('三中',301,1,'庚',70)");
       }},
      {"a row deleted",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("DELETE FROM 成绩表 WHERE 学号 = 103");
       }},
      // SQLite empties a table without a WHERE by a shortcut that skips
      // triggers, unless the table has some.
      {"every row deleted",
       [](ExamDatabase&, engine::Database& db) { db.Execute("DELETE FROM 成绩表"); }},
      {"a record edited through a recordset",
       [](ExamDatabase&, engine::Database& db) {
         engine::Recordset rs = db.OpenRecordset("成绩表");
         rs.Edit();
         rs.SetField(rs.FieldIndex("数学"), Value::Real(1));
         rs.Update();
         rs.Close();
         db.Execute("UPDATE bsxtable SET 主标题 = '期中'");  // commits the recordset's edit
       }},
      {"a column added",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("ALTER TABLE 成绩表 ADD COLUMN 备注 text (10)");
       }},
      {"another SQLite program's UPDATE",
       [](ExamDatabase& exam, engine::Database&) {
         sqlite3* other = nullptr;
         ASSERT_EQ(sqlite3_open(exam.state.database_path.c_str(), &other), SQLITE_OK);
         EXPECT_EQ(sqlite3_exec(other, "UPDATE 成绩表 SET 语文 = 0", nullptr, nullptr, nullptr),
                   SQLITE_OK);
         sqlite3_close(other);
       }},
      // The table made again from the same CREATE text, its counter as it was.
      {"成绩表 made again by an older build",
       [](ExamDatabase&, engine::Database& db) {
         sqlite3* h = db.handle();
         sqlite3_stmt* s = nullptr;
         sqlite3_prepare_v2(h, "SELECT sql FROM sqlite_master WHERE name = '成绩表'", -1, &s,
                            nullptr);
         ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
         const std::string create = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
         sqlite3_finalize(s);
         const std::string again =
             "CREATE TABLE 旧 AS SELECT * FROM 成绩表 WHERE 学号 > 102; DROP TABLE 成绩表; " +
             create + "; INSERT INTO 成绩表 SELECT * FROM 旧";
         ASSERT_EQ(sqlite3_exec(h, again.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
       }},
      {"a new import",
       [&](ExamDatabase& exam, engine::Database&) {
         ASSERT_TRUE(exam.Import(reimported, "again").ok);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    ExamDatabase exam;
    ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
    {
      engine::Database db = exam.Open();
      EXPECT_FALSE(stats::StoredColumnsCurrent(db, kPerClass, "语文")) << "before the first read";
      ExpectFresh(db, "语文");
      // A second subject joins the copy of the first; the groupings by 学校
      // come with those by 学校 and 班级.
      EXPECT_FALSE(stats::StoredColumnsCurrent(db, kPerClass, "体育"));
      ExpectFresh(db, "体育");
      // The listings' copy of the whole table joins them.
      EXPECT_FALSE(stats::StoredTableCurrent(db));
      ExpectFreshTable(db);
      EXPECT_TRUE(stats::StoredTableCurrent(db));
      for (const char* subject : {"语文", "体育"}) {
        EXPECT_TRUE(stats::StoredColumnsCurrent(db, kPerClass, subject)) << subject;
        EXPECT_TRUE(stats::StoredColumnsCurrent(db, {"学校"}, subject)) << subject;
      }
      c.run(exam, db);
    }
    engine::Database db = exam.Open();
    for (const std::string& subject : kSubjects)
      EXPECT_FALSE(stats::StoredColumnsCurrent(db, kPerClass, subject)) << subject;
    EXPECT_FALSE(stats::StoredTableCurrent(db));
    ExpectFreshTable(db);
    EXPECT_TRUE(stats::StoredTableCurrent(db)) << "made anew";
    // The statistics make a copy of their own, and keep the table's.
    ExpectFresh(db, "语文");
    EXPECT_TRUE(stats::StoredColumnsCurrent(db, kPerClass, "语文")) << "made anew";
    ExpectFresh(db, "数学");
    EXPECT_TRUE(stats::StoredTableCurrent(db));
  }
}

TEST(StoredColumnsTest, AColumnAddedLaterMeetsTheGroupsOfItsOwnRows) {
  // An index holding 班级, 学校 and 数学 would let SQLite read those three in
  // the index's order (descending classes) instead of the table's, in which
  // the groupings were stored with 语文; 数学 joins the copy only in the
  // table's order (the engine's recordsets read a table NOT INDEXED, and the
  // copy compares each grouping row for row before it adds a column).
  ExamDatabase exam;
  ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
  engine::Database db = exam.Open();
  ExpectFresh(db, "语文");
  ASSERT_EQ(sqlite3_exec(db.handle(), "CREATE INDEX 倒序 ON 成绩表 (班级 DESC, 学校 DESC, 数学)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  for (const char* subject : {"数学", "语文", "数学"}) {
    SCOPED_TRACE(subject);
    ExpectFresh(db, subject);
    EXPECT_TRUE(stats::StoredColumnsCurrent(db, kPerClass, subject));
  }
}

TEST(StoredColumnsTest, AFileAnotherWriterHoldsIsReadAllTheSame) {
  // The copy cannot be written: the table is read as it is, and no copy is
  // left that could be taken for current.
  ExamDatabase exam;
  ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(exam.state.database_path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    engine::Database db = exam.Open();
    sqlite3_busy_timeout(db.handle(), 0);
    ExpectFresh(db, "语文");
    EXPECT_FALSE(stats::StoredColumnsCurrent(db, kPerClass, "语文"));
    ExpectFreshTable(db);
    EXPECT_FALSE(stats::StoredTableCurrent(db));
  }
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

TEST(StoredColumnsTest, ACopyDroppedByHandComesBackAtTheNextOpen) {
  // The triggers stay on 成绩表 when the copy's table is dropped, and refuse
  // every edit of 成绩表 until a score database opened makes the table again.
  ExamDatabase exam;
  ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
  {
    engine::Database db = exam.Open();
    ExpectFresh(db, "语文");
    ASSERT_EQ(sqlite3_exec(db.handle(), "DROP TABLE 成绩表快照", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_NE(sqlite3_exec(db.handle(), "UPDATE 成绩表 SET 语文 = 1", nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  engine::Database db = exam.Open();
  EXPECT_NO_THROW(db.Execute("UPDATE 成绩表 SET 语文 = 99 WHERE 学号 = 201"));
  EXPECT_FALSE(stats::StoredColumnsCurrent(db, kPerClass, "语文"));
  ExpectFresh(db, "语文");
}

TEST(StoredColumnsTest, AMissingTableIsAnError) {
  // Before the first import the reports fall back to their empty form.
  ExamDatabase exam;
  engine::Database db = exam.Open();
  db.Execute("DROP TABLE 成绩表");
  EXPECT_THROW(stats::ReadStoredColumns(db, kPerClass, "语文"), engine::Error);
  EXPECT_THROW(stats::ReadStoredTable(db), engine::Error);
}

}  // namespace
