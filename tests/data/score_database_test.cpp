#include "data/score_database.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../scratch_dir.h"
#include "settings/stored_settings.h"

namespace data {
namespace {

namespace fs = std::filesystem;

class ScoreDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDatabasePath(state_, (dir_ / "suju" / "sujuf.db").string()); }

  engine::Database Db() { return OpenScoreDatabase(state_); }

  // A 三线表 over 语文, 数学, 英语 with `rows` of the six rows.
  void MakeLines(engine::Database& db, int rows) {
    db.Execute("CREATE TABLE 三线表 (项目 text (10), 语文 DOUBLE, 数学 DOUBLE, 英语 DOUBLE)");
    const char* values[] = {"'满分',150,150,100", "'优秀',85,85,90", "'优良',75,75,80",
                            "'及格',60,60,60",    "'主科',1,1,0",    "'权重',100,100,50"};
    for (int r = 0; r < rows; ++r)
      db.Execute(std::string("INSERT INTO 三线表 VALUES (") + values[r] + ")");
    db.Execute(
        "CREATE TABLE 成绩表 (学校 text (20), 学号 DOUBLE, 班级 text (20), 姓名 text (20), "
        "语文 DOUBLE, 数学 DOUBLE, 英语 DOUBLE)");
  }

  test_support::ScratchDir scratch_{"scorestat_db"};
  const fs::path dir_ = scratch_.path();
  AppState state_;
};

TEST_F(ScoreDatabaseTest, RepairRestoresDefaultsInOrderAndCreatesMissingTables) {
  {
    engine::Database db = Db();
    settings::StoreSetting(db, "单科段", "10");
    settings::StoreSetting(db, "主标题", "期末'考试");
    db.Execute("DROP TABLE bsxtable");
  }
  RepairSystemTables(state_);
  engine::Database db = Db();
  engine::Recordset rs = db.OpenRecordset("select * from xtsztable ORDER BY id");
  std::vector<std::string> rows;
  for (; !rs.Eof(); rs.MoveNext())
    rows.push_back(rs.FieldValue(0).AsText() + rs.FieldValue(1).AsText() +
                   rs.FieldValue(2).AsText() + rs.FieldValue(3).AsText());
  EXPECT_EQ(rows, (std::vector<std::string>{"1平均分401", "2优秀201", "3优良201", "4及格201",
                                            "5单科段202", "6总分段202"}));
  EXPECT_EQ(db.OpenRecordset("bsxtable").RecordCount(), 1);
}

TEST_F(ScoreDatabaseTest, FiveRowsLeaveWeightsZeroAndFirstColumnUnchanged) {
  engine::Database db = Db();
  MakeLines(db, 5);
  SubjectLines lines;
  lines.FirstSubjectCol = 9;
  EXPECT_FALSE(LoadSubjectLines(db, lines));
  EXPECT_EQ(lines.PassPct, (std::vector<int>{60, 60, 60}));
  EXPECT_EQ(lines.MainFlag, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(lines.TotalWeightPct, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(lines.FirstSubjectCol, 9);
}

}  // namespace
}  // namespace data
