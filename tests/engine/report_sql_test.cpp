// The program's SQL texts, built as the reports build them, over a small
// examination: results checked figure by figure.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace engine {
namespace {

class ReportSqlTest : public testing::TempDatabaseTest {
 protected:
  void SetUp() override {
    TempDatabaseTest::SetUp();
    db_->Execute(
        "CREATE TABLE 成绩表 (学校 text (20), 学号 DOUBLE, 班级 DOUBLE, 姓名 text (10), "
        "语文 DOUBLE, 数学 DOUBLE)");
    const char* rows[] = {"'一中', 1, 1, '甲', 90, 100", "'一中', 2, 1, '乙', 86, 50",
                          "'一中', 3, 1, '丙', 40, 70",  "'一中', 4, 2, '丁', 120, Null",
                          "'一中', 5, 2, '戊', Null, 0", "'二中', 6, 1, '己', 85, 85"};
    for (const char* r : rows) {
      db_->Execute(std::string("INSERT INTO 成绩表 (学校,学号,班级,姓名,语文,数学) VALUES (") + r +
                   ")");
    }
    db_->Execute(
        "CREATE TABLE 教师表 (学校 text (20), 班级 DOUBLE, 语文 text (10), 数学 text (10))");
    db_->Execute("INSERT INTO 教师表 (学校,班级,语文,数学) VALUES ('一中', 1, '张', '王')");
    db_->Execute("INSERT INTO 教师表 (学校,班级,语文,数学) VALUES ('一中', 2, '张', Null)");
    db_->Execute("INSERT INTO 教师表 (学校,班级,语文,数学) VALUES ('二中', 1, '李', '王')");
  }

  // The single-subject statistic and segment columns, as the reports write them.
  static std::string StatColumns(const std::string& s, int full, int width) {
    std::string r1 = "count(" + s + ") as 参考人数,sum(" + s + ") as 总分, cint(avg(" + s +
                     ")*100)/100 as 平均分";
    std::string r2 = ",cint(avg(" + s + ")*100)/10000*40";
    const char* names[] = {"优秀", "优良", "及格"};
    const int lines[] = {85, 75, 60};
    for (int i = 0; i < 3; ++i) {
      std::string c = "count(iif([" + s + "]>=" + std::to_string(lines[i]) + ",1,null))";
      r1 += "," + c + " as " + names[i] + "人数,cint(" + c + "*10000/count(" + s + "))/100 as " +
            names[i] + "率";
      r2 += "+cint(" + c + "*10000/count(" + s + "))/10000*20";
    }
    r2 += " as 综合分";
    std::string r3 = ",max(" + s + ") as 最高分,min(" + s + ") as 最低分,max(" + s + ")-min(" + s +
                     ") as 全距,cint(StDev(" + s + ")*100)/100   as 标准差";
    std::string g;
    int top = full / 10 * 10;
    for (int i = 1; i <= full / width; ++i) {
      int low = i == 1 ? top - width : top - i * width;
      int high = i == 1 ? full : low + width - 1;
      g += ",Count(iif([" + s + "]>=" + std::to_string(low) + " And [" + s +
           "]<=" + std::to_string(high) + ", 1, Null)) as 分" + std::to_string(low) + "_" +
           std::to_string(high) + "段";
    }
    return r1 + r2 + r3 + g;
  }
};

TEST_F(ReportSqlTest, SingleSubjectByClassSchoolAndTeacher) {
  std::string cols = StatColumns("语文", 150, 20);
  db_->CreateQuery("NewQry1",
                   "PROCEDURE qname;select 学校,班级," + cols + " from 成绩表  GROUP BY 学校,班级");
  EXPECT_EQ(Rows("NewQry1"),
            (std::vector<std::string>{
                "一中|1|3|216|72|2|66.67|2|66.67|2|66.67|68.802|90|40|50|27.78|0|0|1|1|0|1|0",
                "一中|2|1|120|120|1|100|1|100|1|100|108|120|120|0||0|1|0|0|0|0|0",
                "二中|1|1|85|85|1|100|1|100|1|100|94|85|85|0||0|0|0|1|0|0|0"}));
  Recordset rs = db_->OpenRecordset("NewQry1");
  EXPECT_EQ(rs.FieldName(16), "分130_150段");
  EXPECT_EQ(rs.FieldTypeOf(2), FieldType::kLong);
  EXPECT_EQ(rs.FieldTypeOf(4), FieldType::kDouble);
  rs.Close();
  EXPECT_EQ(One("select " + cols + " from 成绩表").substr(0, 16), "5|421|84.2|4|80|");
  db_->CreateQuery("NewQry1",
                   "PROCEDURE qname;select 学校," + cols + " from 成绩表  GROUP BY 学校");
  EXPECT_EQ(Rows("NewQry1").size(), 2u);

  db_->CreateQuery("NewQry2",
                   "PROCEDURE qname;select 成绩表.学校,成绩表.班级,成绩表.姓名,成绩表.语文 as 语文 "
                   ",教师表.语文  as 教师 from 成绩表 ,教师表 where  教师表.班级=成绩表.班级 and  "
                   "教师表.学校=成绩表.学校");
  db_->CreateQuery(
      "NewQry3", "PROCEDURE qname;select 学校,教师," + cols + " from NewQry2  GROUP BY 学校,教师");
  EXPECT_EQ(Rows("select 学校,教师,参考人数,平均分 from NewQry3"),
            (std::vector<std::string>{"一中|张|4|84", "二中|李|1|85"}));
  EXPECT_EQ(One("select 语文 from 教师表 where  学校='一中' and 班级=2"), "张");
  EXPECT_EQ(One("select 语文 from 教师表 where  学校='一中' and 班级='2'"), "张");
  EXPECT_EQ(Rows("select 学校,班级 from 教师表 where 语文='张'").size(), 2u);
}

TEST_F(ReportSqlTest, DataInformationCounts) {
  std::string p = ",count([语文]) ,count(*)-count([语文]),count([数学]) ,count(*)-count([数学])";
  EXPECT_EQ(Rows("select 学校, Count(*)" + p + " from 成绩表   GROUP BY 学校 ORDER BY 学校"),
            (std::vector<std::string>{"一中|5|4|1|4|1", "二中|1|1|0|1|0"}));
  EXPECT_EQ(Rows("select 学校,count(数学) as 教数 from (select DISTINCT 数学 ,学校 from 教师表) "
                 "group by 学校 ORDER BY 学校 "),
            (std::vector<std::string>{"一中|1", "二中|1"}));
  EXPECT_EQ(Rows("select 学校,count(班级) from 教师表 group by 学校 ORDER BY 学校"),
            (std::vector<std::string>{"一中|2", "二中|1"}));
  db_->CreateQuery("NewQrytjxx",
                   "PROCEDURE qname;select distinct 学校,班级 from 成绩表 ORDER BY 学校 DESC ;");
  EXPECT_EQ(Rows("NewQrytjxx").front().substr(0, 6), "二中");
}

TEST_F(ReportSqlTest, ImportTotalsSettingsAndLists) {
  db_->Execute(
      "CREATE TABLE 统计表 (学校 text (20), 学号 DOUBLE, 班级 DOUBLE, 姓名 text (10), "
      "语文 DOUBLE, 数学 DOUBLE)");
  db_->Execute(
      "INSERT INTO 统计表 (学校,学号,班级,姓名,语文,数学) SELECT 学校,学号,班级,姓名,语文,数学 "
      "FROM 成绩表");
  for (const char* c : {"主科总分 SINGLE  ", "全科总分 SINGLE  ", "主科排名 LONG", "全科排名 LONG",
                        "主科及格数 LONG", "全科及格数 LONG", "全科优良数 LONG"}) {
    db_->Execute(std::string("ALTER TABLE 统计表 ADD COLUMN ") + c);
  }
  db_->Execute(
      "Update 统计表 SET 主科总分 =IIf(IsNull(语文), 0, 语文)*1,主科及格数 =iif(语文>=90,1,0)");
  db_->Execute(
      "Update 统计表 SET 全科总分 =IIf(IsNull(语文), 0, 语文)*1+IIf(IsNull(数学), 0, 数学)*0.5"
      ",全科及格数 =iif(语文>=90,1,0)+iif(数学>=60,1,0),全科优良数=0");
  EXPECT_EQ(
      Rows("select 姓名,主科总分,全科总分,全科及格数 from 统计表 where 学号<=5 order by 学号"),
      (std::vector<std::string>{"甲|90|140|2", "乙|86|111|0", "丙|40|75|1", "丁|120|120|1",
                                "戊|0|0|0"}));
  EXPECT_EQ(One("select max(IIf(IsNull(语文), 0, 语文)*1),min(IIf(IsNull(语文), 0, 语文)*1)  From "
                "成绩表 where IIf(IsNull(语文), 0, 语文)*1>0"),
            "120|40");
  // Comprehensive statistics and the student lists.
  EXPECT_EQ(One("select count(iif([全科总分]>0,1,null)) as 参考人数,max(全科总分) as 最高分,"
                "min(iif([全科总分]>0,全科总分,1000)) as 最低分,count(iif([全科及格数]>=2,1,null)) "
                "as 全部优秀,Count(IIf([全科及格数] = 1, 1, Null)) as 一门不及格 From 统计表"),
            "5|140|75|1|3");
  EXPECT_EQ(Rows("select 学校,学号,班级,姓名,语文,数学,全科总分 from 统计表 where 全科及格数=0 and "
                 "学校='一中'and 班级='1'"),
            (std::vector<std::string>{"一中|2|1|乙|86|50|111"}));
  EXPECT_EQ(Rows("select 学校,学号,班级,姓名,语文 from 统计表 where (语文>80) and 学校='二中'"),
            (std::vector<std::string>{"二中|6|1|己|85"}));

  db_->Execute("CREATE TABLE xtsztable (id COUNTER ,项目 text (8),数值 SHORT,类别 SHORT)");
  db_->Execute(" INSERT INTO xtsztable (项目,数值, 类别) VALUES ('平均分', 40, 1);");
  db_->Execute(" INSERT INTO xtsztable (项目,数值, 类别) VALUES ('单科段', 20, 2);");
  db_->Execute("UPDATE xtsztable SET 数值 =35 where 项目='平均分' ");
  EXPECT_EQ(Rows("select * from xtsztable ORDER BY id"),
            (std::vector<std::string>{"1|平均分|35|1", "2|单科段|20|2"}));
  db_->Execute("CREATE TABLE bsxtable (id COUNTER ,学校 text (50),显示日期 text (50))");
  db_->Execute(" INSERT INTO bsxtable (学校,显示日期) VALUES ('XX县XX中学','0');");
  db_->Execute("UPDATE bsxtable SET 学校 ='O''Neil 中学'");
  EXPECT_EQ(One("bsxtable"), "1|O'Neil 中学|0");
  db_->Execute("DROP TABLE xtsztable");
  EXPECT_FALSE(db_->TableExists("xtsztable"));
}

}  // namespace
}  // namespace engine
