#include <gtest/gtest.h>

#include "reports/student_list.h"
#include "score_fixture.h"

namespace {

const std::vector<std::string> kColumns = {
    "学校",       "学号",       "班级",       "姓名",       "语文",      "数学",
    "英语",       "主科总分",   "全科总分",   "主科排名",   "全科排名",  "主科优秀数",
    "主科优良数", "主科及格数", "全科优秀数", "全科优良数", "全科及格数"};

data::SubjectLines ThreeSubjects() {
  data::SubjectLines lines;
  lines.Resize(3);
  lines.SubjectName = {"语文", "数学", "英语"};
  lines.MainFlag = {1, 1, 0};
  return lines;
}

reports::StudentListOptions Options() {
  reports::StudentListOptions o;
  reports::FillStudentListOptions(o, kColumns, {"一中", "二中"}, ThreeSubjects());
  return o;
}

// The refusals' messages are checked through the dialog
// (tests/app/student_list_dialog_test.cpp); here, which value is checked.
TEST(StudentListRefusals, OnlyTheConditionsInUseAreChecked) {
  auto o = Options();
  o.tab = 1;
  o.value2 = "x";  // ignored while the second column is empty
  EXPECT_EQ(reports::BuildStudentListQuery(o, "").message, "");
  o.column2 = "数学";
  EXPECT_EQ(reports::BuildStudentListQuery(o, "").message, "条件值不是数值，请重新输入！");
}

TEST(StudentListRefusals, TypedTextNeverReachesTheSql) {
  struct Case {
    const char* what;
    void (*edit)(reports::StudentListOptions&);
  };
  const Case cases[] = {
      {"column", [](auto& o) { o.column1 = "语文>0 or 1=1) --"; }},
      {"operator", [](auto& o) { o.op1 = ">0 or 1=1 or 语文>"; }},
      {"second column",
       [](auto& o) {
         o.column2 = "1;DROP TABLE 统计表";
         o.op2 = ">";
         o.value2 = "1";
       }},
      {"display item", [](auto& o) { reports::ChooseShowItem1(o, "姓名 from 统计表;--"); }},
  };
  for (const Case& c : cases) {
    auto o = Options();
    o.tab = 1;
    c.edit(o);
    const auto q = reports::BuildStudentListQuery(o, "");
    EXPECT_FALSE(q.message.empty()) << c.what;
    EXPECT_TRUE(q.sql.empty()) << c.what;
  }
}

class StudentListRun : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::Database db = temp_.Open();
    std::string create = "CREATE TABLE 统计表 (";
    for (const auto& c : kColumns)
      create += c + (c == "学校" || c == "姓名" || c == "班级" ? " text (20)," : " DOUBLE,");
    create.back() = ')';
    db.Execute(create);
    db.Execute("INSERT INTO 统计表 (学校,学号,班级,姓名,语文) VALUES ('一中',1,'1','甲',90)");
    db.Execute("INSERT INTO 统计表 (学校,学号,班级,姓名,语文) VALUES ('二中',2,'1','乙',70)");
    data::ReplaceSavedQuery(db, "NewQry2", "select 姓名 from 统计表");
  }
  std::string SavedQuery() {
    engine::Database db = temp_.Open();
    std::string names;
    for (auto rs = db.OpenRecordset("NewQry2"); !rs.Eof(); rs.MoveNext())
      names += rs.FieldValue(0).AsText() + ";";
    return names;
  }
  reports_test::TempDatabase temp_;
};

TEST_F(StudentListRun, RejectedStatementKeepsTheSavedQuery) {
  auto o = Options();
  o.all_columns.push_back("不存在的列");  // passes our check, not the engine's
  o.tab = 1;
  o.column1 = "不存在的列";
  const auto r = reports::RunStudentList(o, temp_.state);
  EXPECT_FALSE(r.ok());
  EXPECT_FALSE(r.message().empty());
  EXPECT_EQ(SavedQuery(), "甲;乙;");
}

}  // namespace
