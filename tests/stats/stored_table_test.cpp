// The stored copy of the whole of 成绩表 that the ranked listings fill from:
// its bytes read back as written, and it is 成绩表 as the engine reads it,
// never once 成绩表 has changed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis_exam.h"
#include "engine/value_columns.h"
#include "stats/stored_columns.h"

namespace {

using analysis_test::ExamDatabase;
using engine::FieldType;
using engine::Value;
using engine::ValueColumns;

// One column of the given values, the records naming them by number.
ValueColumns::Column Column(std::vector<Value> values, std::vector<std::uint32_t> rows) {
  return {std::move(values), std::move(rows)};
}

ValueColumns Numbered(std::uint32_t distinct, std::size_t records) {
  ValueColumns table{{"学号"}, {FieldType::kLong}, {{}}, records};
  for (std::uint32_t v = 0; v < distinct; ++v) table.columns[0].values.push_back(Value::Integer(v));
  for (std::size_t i = 0; i < records; ++i)
    table.columns[0].value_of_row.push_back(static_cast<std::uint32_t>(i % distinct));
  return table;
}

TEST(StoredTableTest, BytesReadBackAsWrittenAndNoPartOfThemReads) {
  // Every kind of value, 0 beside -0 and "" beside Null; a table without
  // records; value numbers past one byte and past two.
  const ValueColumns kinds{
      {"学校", "语文", "学号"},
      {FieldType::kText, FieldType::kDouble, FieldType::kLong},
      {Column({Value::Text("一中"), Value::Text(""), Value(), Value::Text(std::string("a\0b", 3))},
              {0, 1, 2, 3, 0}),
       Column({Value::Real(87.5), Value::Real(0.0), Value::Real(-0.0), Value::Text("缺考")},
              {3, 2, 1, 0, 0}),
       Column({Value::Integer(-7), Value::Integer(2024000001)}, {1, 1, 1, 1, 0})},
      5};
  const ValueColumns empty{{"姓名"}, {FieldType::kText}, {{}}, 0};
  std::vector<std::string> encoded;
  for (const ValueColumns& table : {kinds, empty, Numbered(300, 600), Numbered(70000, 70000)}) {
    encoded.push_back(stats::EncodeTable(table));
    const std::optional<ValueColumns> back = stats::DecodeTable(encoded.back());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, table);
  }
  EXPECT_LT(encoded[2].size(), 600 * 2 + 300 * 9 + 40) << "two bytes a record";
  encoded.resize(2);  // every cut of the long ones would take too long
  // A cut or lengthened entry (a damaged file) is not a copy at all.
  for (const std::string& bytes : encoded)
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      const std::string cut = n < bytes.size() ? bytes.substr(0, n) : bytes + '\0';
      EXPECT_FALSE(stats::DecodeTable(cut).has_value()) << n << " of " << bytes.size();
    }
  // A record naming a value the column does not have.
  std::string wrong = encoded[0];
  wrong[wrong.size() - 5] = 9;
  EXPECT_FALSE(stats::DecodeTable(wrong).has_value());
}

void ExpectFresh(engine::Database& db) {
  EXPECT_EQ(stats::ReadStoredTable(db), engine::ReadValueColumns(db, "成绩表"));
}

TEST(StoredTableTest, IsTheTableUntilTheTableChanges) {
  using Edit = std::function<void(ExamDatabase&, engine::Database&)>;
  analysis_test::ExamRows reimported;
  reimported.scores[1][4] = "30";  // 甲's 语文
  const std::vector<std::pair<const char*, Edit>> cases = {
      {"an UPDATE run in 查询",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("UPDATE 成绩表 SET 姓名 = '甲乙' WHERE 学号 = 201");
       }},
      {"a row deleted",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("DELETE FROM 成绩表 WHERE 学号 = 103");
       }},
      {"a column added",
       [](ExamDatabase&, engine::Database& db) {
         db.Execute("ALTER TABLE 成绩表 ADD COLUMN 备注 text (10)");
       }},
      {"another SQLite program's UPDATE",
       [](ExamDatabase& exam, engine::Database&) {
         sqlite3* other = nullptr;
         ASSERT_EQ(sqlite3_open(exam.state.database_path.c_str(), &other), SQLITE_OK);
         EXPECT_EQ(sqlite3_exec(other, "UPDATE 成绩表 SET 班级 = 3", nullptr, nullptr, nullptr),
                   SQLITE_OK);
         sqlite3_close(other);
       }},
      {"a new import",
       [&](ExamDatabase& exam, engine::Database&) {
         ASSERT_TRUE(exam.Import(reimported, "again").ok);
       }},
  };
  for (const auto& [edit, run] : cases) {
    SCOPED_TRACE(edit);
    ExamDatabase exam;
    ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
    {
      engine::Database db = exam.Open();
      EXPECT_FALSE(stats::StoredTableCurrent(db)) << "before the first read";
      ExpectFresh(db);
      EXPECT_TRUE(stats::StoredTableCurrent(db));
      // The statistics' copy of one subject starts a copy of its own; the
      // table then joins it, and both stay.
      stats::ReadStoredColumns(db, {"学校", "班级"}, "语文");
      ExpectFresh(db);
      EXPECT_TRUE(stats::StoredTableCurrent(db));
      EXPECT_TRUE(stats::StoredColumnsCurrent(db, {"学校", "班级"}, "语文"));
      run(exam, db);
    }
    engine::Database db = exam.Open();
    EXPECT_FALSE(stats::StoredTableCurrent(db));
    ExpectFresh(db);
    EXPECT_TRUE(stats::StoredTableCurrent(db)) << "made anew";
  }
}

TEST(StoredTableTest, AFileAnotherWriterHoldsIsReadAllTheSame) {
  ExamDatabase exam;
  ASSERT_TRUE(exam.import_result.ok) << exam.import_result.message;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(exam.state.database_path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    engine::Database db = exam.Open();
    sqlite3_busy_timeout(db.handle(), 0);
    ExpectFresh(db);
    EXPECT_FALSE(stats::StoredTableCurrent(db));
  }
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  engine::Database db = exam.Open();
  db.Execute("DROP TABLE 成绩表");
  EXPECT_THROW(stats::ReadStoredTable(db), engine::Error);
}

}  // namespace
