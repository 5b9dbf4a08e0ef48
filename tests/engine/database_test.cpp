// Opening, failures, saved queries, recordsets and their editing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

#include "engine/value_columns.h"
#include "engine_test_util.h"

namespace engine {
namespace {

class DatabaseTest : public testing::TempDatabaseTest {};

Error::Kind KindOf(const std::function<void()>& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const Error& e) {
    if (message) *message = e.what();
    return e.kind();
  }
  ADD_FAILURE() << "no engine::Error";
  return Error::Kind::kState;
}

TEST_F(DatabaseTest, BadInputGivesAnErrorWithAMessage) {
  db_->Execute("CREATE TABLE 成绩表 (姓名 text (10), 语文 DOUBLE)");
  struct Case {
    const char* sql;
    Error::Kind kind;
    const char* in_message;
  } cases[] = {
      {"select 姓名 FORM 成绩表", Error::Kind::kParse, "（位置 11，“FORM”）"},
      {"select 'abc from 成绩表", Error::Kind::kParse, "字符串没有结束"},
      {"", Error::Kind::kParse, "语句是空的"},
      {"   ;", Error::Kind::kParse, "SQL 语句有误"},
      {"select foo(语文) from 成绩表", Error::Kind::kParse, "不认识的函数"},
      {"select 数学 from 成绩表", Error::Kind::kExecute, "找不到列“数学”"},
      {"select * from 统计表", Error::Kind::kNoSuchObject, "找不到表或查询“统计表”。"},
      {"DROP TABLE 教师表", Error::Kind::kNoSuchObject, "找不到表或查询“教师表”。"},
      {"CREATE TABLE 成绩表 (a LONG)", Error::Kind::kExecute, "已经存在"},
      {"INSERT INTO 成绩表 (姓名) VALUES ('a', 1)", Error::Kind::kParse, "个数"},
      {"CREATE TABLE x (a WIDGET)", Error::Kind::kParse, "不认识的列类型"},
  };
  for (const Case& c : cases) {
    std::string message;
    Error::Kind kind = KindOf(
        [&] {
          if (std::string(c.sql).rfind("select", 0) == 0) {
            db_->OpenRecordset(c.sql);
          } else {
            db_->Execute(c.sql);
          }
        },
        &message);
    EXPECT_EQ(kind, c.kind) << c.sql << "\n" << message;
    EXPECT_NE(message.find(c.in_message), std::string::npos) << c.sql << "\n" << message;
  }
  EXPECT_EQ(KindOf([&] { db_->OpenRecordset("成绩单"); }), Error::Kind::kNoSuchObject);
  EXPECT_EQ(KindOf([&] { db_->DeleteQuery("NewQry1"); }), Error::Kind::kNoSuchObject);
  EXPECT_EQ(KindOf([&] { db_->ColumnNames("NewQry1"); }), Error::Kind::kNoSuchObject);
}

TEST_F(DatabaseTest, OpeningRejectsMissingAndForeignFiles) {
  std::string message;
  EXPECT_EQ(KindOf([&] { Database::Open((dir_ / "none.db").string()); }, &message),
            Error::Kind::kOpen);
  EXPECT_NE(message.find("数据库文件不存在"), std::string::npos);
  std::string text_file = (dir_ / "notes.db").string();
  std::ofstream(text_file) << "这不是数据库，只是一段很长的文字。" << std::string(200, 'x');
  EXPECT_EQ(KindOf([&] { Database::Open(text_file); }, &message), Error::Kind::kOpen);
  EXPECT_NE(message.find("不是有效的数据库文件"), std::string::npos);
}

// report all opens connections on worker threads while another commits a
// stored copy: opening must wait for the writer's lock like every later
// statement does, not fail on its first read.
TEST_F(DatabaseTest, OpeningWaitsForAnotherConnectionsCommit) {
  db_->Execute("CREATE TABLE t (a LONG)");
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(writer, "BEGIN EXCLUSIVE; INSERT INTO t VALUES (7)", nullptr, nullptr, nullptr),
      SQLITE_OK);
  std::thread commit([writer] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
  });
  std::optional<Database> reader;
  try {
    reader.emplace(Database::Open(path_));
  } catch (const Error& e) {
    ADD_FAILURE() << e.what();
  }
  commit.join();
  sqlite3_close(writer);
  if (reader) {
    EXPECT_EQ(reader->OpenRecordset("t").FieldValue(0), Value::Integer(7));
  }
}

TEST_F(DatabaseTest, ReadOnlyFileRefusesWritesClearly) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
  db_->Execute("CREATE TABLE t (a LONG)");
  db_->Execute("INSERT INTO t (a) VALUES (1)");
  db_->Close();
  ::chmod(path_.c_str(), 0444);
  Database ro = Database::Open(path_);
  Recordset rs = ro.OpenRecordset("t");
  EXPECT_EQ(rs.FieldValue(0), Value::Integer(1));
  std::string message;
  EXPECT_EQ(KindOf([&] { ro.Execute("UPDATE t SET a = 2"); }, &message), Error::Kind::kReadOnly);
  EXPECT_NE(message.find("数据库文件是只读的"), std::string::npos);
  EXPECT_EQ(KindOf([&] { rs.Edit(); }), Error::Kind::kReadOnly);
  EXPECT_EQ(KindOf([&] { ro.CreateQuery("q", "select a from t"); }), Error::Kind::kReadOnly);
}

// Reports store their saved query at every run. Storing the same text again
// must not write (a commit syncs the file several times, and a read-only copy
// of the database could not run the report at all); any change still
// replaces it.
TEST_F(DatabaseTest, UnchangedSavedQueryIsNotWrittenAgain) {
  db_->Execute("CREATE TABLE t (a LONG, b LONG)");
  auto schema_version = [&] {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_->handle(), "PRAGMA schema_version", -1, &stmt, nullptr);
    sqlite3_step(stmt);
    const int v = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return v;
  };
  db_->CreateQuery("NewQry1", "PROCEDURE qname;select a from t");
  const int before = schema_version();
  db_->CreateQuery("NewQry1", "PROCEDURE qname;select a from t");
  EXPECT_EQ(schema_version(), before) << "the same text";
  db_->CreateQuery("NewQry1", "PROCEDURE qname;select b from t");
  EXPECT_GT(schema_version(), before) << "another column";
  EXPECT_EQ(db_->ColumnNames("NewQry1"), std::vector<std::string>{"b"});

  if (::geteuid() == 0) return;  // root ignores file permissions
  db_->Close();
  ::chmod(path_.c_str(), 0444);
  Database ro = Database::Open(path_);
  EXPECT_NO_THROW(ro.CreateQuery("newqry1", "PROCEDURE qname;select b from t"));
  EXPECT_EQ(KindOf([&] { ro.CreateQuery("newqry1", "PROCEDURE qname;select a from t"); }),
            Error::Kind::kReadOnly);
}

TEST_F(DatabaseTest, TypesAndSinglePrecision) {
  db_->Execute("CREATE TABLE t (id COUNTER, n SHORT, l LONG, s SINGLE, d DOUBLE, x text (8))");
  db_->Execute("ALTER TABLE t ADD COLUMN 主科总分 SINGLE  ");
  db_->Execute("INSERT INTO t (n, l, s, d, x, 主科总分) VALUES (2.5, 3.5, 200/3, 200/3, 'a', 1)");
  db_->Execute("UPDATE t SET 主科总分 = 200/3");
  Recordset rs = db_->OpenRecordset("select * from t");
  const FieldType expected[] = {FieldType::kLong,   FieldType::kShort,  FieldType::kLong,
                                FieldType::kSingle, FieldType::kDouble, FieldType::kText,
                                FieldType::kSingle};
  ASSERT_EQ(rs.FieldCount(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(rs.FieldTypeOf(i), expected[i]) << rs.FieldName(i);
  EXPECT_EQ(rs.FieldValue(0), Value::Integer(1));
  EXPECT_EQ(rs.FieldValue(1), Value::Integer(2));  // half to even
  EXPECT_EQ(rs.FieldValue(2), Value::Integer(4));
  EXPECT_EQ(rs.FieldValue(3), Value::Real(66.66666412353516));
  EXPECT_EQ(rs.FieldValue(4), Value::Real(200.0 / 3));
  EXPECT_EQ(rs.FieldValue(6), Value::Real(66.66666412353516));
  EXPECT_EQ(rs.FieldValue(6).AsText(rs.FieldTypeOf(6)), "66.66666");
  rs.Close();
  Recordset expr =
      db_->OpenRecordset("select count(*), avg(l), sum(d), l/2, x & 'b', max(s), cint(d) from t");
  const FieldType expr_types[] = {FieldType::kLong,   FieldType::kDouble, FieldType::kDouble,
                                  FieldType::kDouble, FieldType::kText,   FieldType::kSingle,
                                  FieldType::kShort};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(expr.FieldTypeOf(i), expr_types[i]) << i;
  EXPECT_EQ(expr.FieldName(0), "Expr1000");
}

TEST_F(DatabaseTest, RankPassEditsWhileWalkingAnOrderedRecordset) {
  db_->Execute("CREATE TABLE 统计表 (姓名 text (10), 主科总分 SINGLE, 主科排名 LONG)");
  const double totals[] = {250, 300, 280, 240, 280, 250};
  size_t next = 0;
  db_->InsertRows("统计表", {"姓名", "主科总分"}, [&](std::vector<Value>& row) {
    if (next == std::size(totals)) return false;
    row[0] = Value::Text("s" + std::to_string(next));
    row[1] = Value::Real(totals[next++]);
    return true;
  });
  Recordset rs = db_->OpenRecordset("select 主科总分,主科排名  from 统计表 ORDER BY 主科总分 DESC");
  EXPECT_EQ(rs.RecordCount(), 6);
  int64_t rank = 0, ties = 0;
  double previous = -1;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    double total = rs.FieldValue(0).AsDouble();
    if (total != previous) {
      rank += 1 + ties;
      ties = 0;
    } else {
      ++ties;
    }
    rs.Edit();
    rs.SetField(1, Value::Integer(rank));
    rs.Update();
    EXPECT_EQ(rs.FieldValue(1), Value::Integer(rank));
    previous = total;
  }
  rs.Close();
  EXPECT_EQ(Rows("select 主科总分, 主科排名 from 统计表 ORDER BY 主科排名, 姓名"),
            (std::vector<std::string>{"300|1", "280|2", "280|2", "250|4", "250|4", "240|6"}));
}

TEST_F(DatabaseTest, RecordsetEditingRulesAndTransactions) {
  db_->Execute("CREATE TABLE t (a LONG, s SINGLE)");
  db_->Execute("INSERT INTO t (a, s) VALUES (1, 1)");
  {
    Recordset rs = db_->OpenRecordset("t");
    EXPECT_THROW(rs.SetField(0, Value::Integer(5)), Error);  // no Edit yet
    rs.Edit();
    rs.SetField(1, Value::Real(200.0 / 3));
    rs.Update();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(KindOf([&] { rs.FieldValue(0); }), Error::Kind::kState);
    EXPECT_EQ(KindOf([&] { rs.Edit(); }), Error::Kind::kState);
  }
  EXPECT_EQ(One("select s from t"), "66.66666");
  EXPECT_EQ(KindOf([&] { db_->OpenRecordset("select count(*) from t").Edit(); }),
            Error::Kind::kState);
  EXPECT_EQ(KindOf([&] {
              Recordset computed = db_->OpenRecordset("select a+1, a from t");
              computed.Edit();
              computed.SetField(0, Value::Integer(3));
            }),
            Error::Kind::kState);
  {
    Transaction tx = db_->BeginTransaction();
    db_->Execute("DELETE FROM t");
  }  // not committed: rolled back
  EXPECT_EQ(One("select count(*) from t"), "1");
  {
    Transaction tx = db_->BeginTransaction();
    db_->Execute("DELETE FROM t");
    tx.Commit();
  }
  EXPECT_EQ(One("select count(*) from t"), "0");
}

// A field read in place must be the value FieldValue copies out: every
// kind SQLite stores (a text holding a NUL, an empty text beside Null, a
// blob read as its bytes) and a field just written by Update.
TEST_F(DatabaseTest, FieldViewReadsWhatFieldValueReads) {
  db_->Execute("CREATE TABLE t (a LONG, r DOUBLE, s TEXT)");
  ASSERT_EQ(sqlite3_exec(db_->handle(),
                         "INSERT INTO t (a, r, s) VALUES (1, 87.5, '学校'), (NULL, 1e300, ''), "
                         "(-5, NULL, x'41004200'), (2, 3, CAST(x'410042' AS TEXT))",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  Recordset rs = db_->OpenRecordset("t");
  for (int record = 0; !rs.Eof(); rs.MoveNext(), ++record) {
    for (int i = 0; i < rs.FieldCount(); ++i)
      EXPECT_EQ(Value::Of(rs.FieldView(i)), rs.FieldValue(i)) << record << " " << i;
    if (record == 0) {
      rs.Edit();
      rs.SetField(2, Value::Text("改过"));
      rs.Update();
      EXPECT_EQ(rs.FieldView(2).text, "改过");
    }
  }
  EXPECT_EQ(KindOf([&] { rs.FieldView(0); }), Error::Kind::kState);
}

// Records read into columns of distinct values give back every field as
// the recordset reads it, each value once per column: enough distinct
// numbers to outgrow the first tables, and halves and whole numbers, whose
// doubles differ only in their high bits.
TEST_F(DatabaseTest, ColumnsOfDistinctValuesGiveBackEveryRecord) {
  db_->Execute("CREATE TABLE t (i LONG, r DOUBLE, s TEXT)");
  std::string values;
  for (int k = 0; k < 3000; ++k) {
    const std::string real = k % 7 == 0   ? "-0.0"
                             : k % 5 == 0 ? "3"
                                          : std::to_string(k % 1500) + ".5";
    values += std::string(k ? "," : "") + "(" + std::to_string(k % 2000) + ", " + real +
              (k % 3 == 0 ? ", 3.0)" : ", '班" + std::to_string(k % 40) + "')");
  }
  ASSERT_EQ(sqlite3_exec(db_->handle(), ("INSERT INTO t (i, r, s) VALUES " + values).c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  const ValueColumns table = ReadValueColumns(*db_, "t");
  ASSERT_EQ(table.records, 3000u);
  Recordset rs = db_->OpenRecordset("t");
  for (std::size_t row = 0; !rs.Eof(); rs.MoveNext(), ++row)
    for (int k = 0; k < rs.FieldCount(); ++k) {
      const ValueColumns::Column& column = table.columns[static_cast<std::size_t>(k)];
      ASSERT_EQ(column.values[column.value_of_row[row]], rs.FieldValue(k)) << row << " " << k;
    }
  for (const ValueColumns::Column& column : table.columns)
    for (std::size_t a = 0; a < column.values.size(); ++a)
      for (std::size_t b = a + 1; b < column.values.size(); ++b) {
        const ValueView x = column.values[a].View(), y = column.values[b].View();
        EXPECT_FALSE(x.kind == y.kind && x.integer == y.integer &&
                     std::bit_cast<std::uint64_t>(x.real) == std::bit_cast<std::uint64_t>(y.real) &&
                     x.text == y.text)
            << "value " << a << " twice";
      }
  EXPECT_EQ(table.columns[0].values.size(), 2000u);
  EXPECT_EQ(table.names, (std::vector<std::string>{"i", "r", "s"}));
}

}  // namespace
}  // namespace engine
