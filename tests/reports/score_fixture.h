// A small exam, small enough to check every figure by hand.
//
// 语文 (out of 100; lines 85, 75, 60):
//   一中 class 1: 90 90 80 60    average 80, rates 50/75/100 -> 综合分 77
//   一中 class 2: 90 80 50       及格 2 of 3 -> 66.67
//   二中 class 3: absent, absent 参考人数 0
//   二中 class 12: 79.5          one score: no 标准差; between two segments
// 数学 is out of 150, so the all-subject report segments every subject by 150.
// 教师表: 张三 teaches 一中 1 and 二中 12, 欧'阳 一中 2; 二中 3 has no row.
#pragma once

#include <string>

#include "../scratch_dir.h"
#include "data/app_state.h"
#include "data/score_database.h"
#include "engine/database.h"

namespace reports_test {

class TempDatabase {
 public:
  TempDatabase() {
    state.database_path = dir_.File("sujuf.db");
    state.title_settings.MainTitle = "高一年级中期考试";
    state.title_settings.LeftSubtitle = "XX县XX中学";
    state.title_settings.RightSubtitle = "2008-2009年度下学期";
    state.title_settings.ShowDate = "0";
    data::OpenScoreDatabase(state);  // creates the file with its system tables
  }
  engine::Database Open() { return engine::Database::Open(state.database_path); }

  data::AppState state;

 private:
  test_support::ScratchDir dir_{"scorestat_reports"};
};

// Fills the exam above; `class_as_text` stores 教师表.班级 as text.
inline void CreateSmallExam(engine::Database& db, bool class_as_text = false) {
  db.Execute(
      "CREATE TABLE 成绩表 (学校 text (20),学号 DOUBLE,班级 DOUBLE,姓名 text (20),语文 DOUBLE,数学 "
      "DOUBLE)");
  const char* rows[] = {
      "('一中',1,1,'甲',90,140)",   "('一中',2,1,'乙',90,120)",  "('一中',3,1,'丙',80,100)",
      "('一中',4,1,'丁',60,90)",    "('一中',5,2,'戊',90,150)",  "('一中',6,2,'己',80,60)",
      "('一中',7,2,'庚',50,30)",    "('二中',8,3,'辛',Null,80)", "('二中',9,3,'壬',Null,Null)",
      "('二中',10,12,'癸',79.5,5)",
  };
  for (const char* r : rows)
    db.Execute(std::string("INSERT INTO 成绩表 (学校,学号,班级,姓名,语文,数学) VALUES ") + r);
  db.Execute(std::string("CREATE TABLE 教师表 (学校 text (20),班级 ") +
             (class_as_text ? "text (10)" : "DOUBLE") + ",语文 text (20),数学 text (20))");
  const char* q = class_as_text ? "'" : "";
  auto teacher = [&](const char* school, const char* cls, const char* chinese, const char* math) {
    db.Execute(std::string("INSERT INTO 教师表 (学校,班级,语文,数学) VALUES ('") + school + "'," +
               q + cls + q + "," + chinese + "," + math + ")");
  };
  teacher("一中", "1", "'张三'", "'李四'");
  teacher("一中", "2", "'欧''阳'", "'李四'");
  teacher("二中", "12", "'张三'", "'王五'");
  db.Execute("CREATE TABLE 三线表 (项目 text (10),语文 DOUBLE,数学 DOUBLE)");
  const char* lines[] = {"('满分',100,150)", "('优秀',85,120)", "('优良',75,100)",
                         "('及格',60,90)",   "('主科',1,1)",    "('权重',100,100)"};
  for (const char* l : lines)
    db.Execute(std::string("INSERT INTO 三线表 (项目,语文,数学) VALUES ") + l);
}

}  // namespace reports_test
