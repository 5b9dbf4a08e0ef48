// Two hand-worked exams in one library, for the reports on two exams. Every
// figure the tests expect was worked out by hand from these tables.
//
// 期中 (the base, imported first). 语文 is the main subject, 数学 not; both
// out of 100, lines 85 / 75 / 60, weight 100.
//   学校 学号 班级 姓名  语文 数学 | 全科总分 全科排名 班名
//   一中 101  1    张三   90   90  |  180      3       1
//   一中 102  1    李四   80   70  |  150      5       2
//   一中 103  1    王五   60   60  |  120      7       3
//   一中 -    2    赵六   70   75  |  145      6       3
//   一中 -    2    陈七   95   95  |  190      2       2
//   一中 104  2    孙二  100  100  |  200      1       1
//   二中 201  3    周八   85   85  |  170      4       1
//   二中 202  3    吴九   50   40  |   90      9       3    (left before 期末)
//   二中 -    3    刘一   60   60  |  120      7       2
//
// 期末 (current). "-" in 语文 is absent.
//   一中 101  1    张三   80   80  |  160      5       2
//   一中 102  1    李四   95   90  |  185      1       1
//   一中 103  1    王五    -   70  |   70     11       3
//   一中 -    2    赵六   80   80  |  160      5       3
//   一中 -    2    陈七   90   90  |  180      3       1
//   一中 104  2    孙二   85   85  |  170      4       2
//   一中 104  2    钱三   60   70  |  130      9       4    (new; 学号 104 twice)
//   二中 201  3    周八   90   95  |  185      1       1
//   二中 203  3    郑十   70   70  |  140      8       3    (new)
//   二中 -    3    刘一   65   65  |  130      9       4    (重名)
//   二中 -    3    刘一   75   75  |  150      7       2    (重名)
//
// Pairing: by 学号 张三, 李四, 王五, 周八 (104 is twice in 期末, so not by
// 学号); by 学校 + 姓名 赵六, 陈七 and 孙二. 钱三 and 郑十 are new, the two
// 刘一 are 重名: 7 paired, 4 not.
#pragma once

#include "analysis_exam.h"

namespace two_exams {

inline analysis_test::ExamRows Midterm() {
  analysis_test::ExamRows rows;
  rows.scores = {
      {"学校", "学号", "班级", "姓名", "语文", "数学"},
      {"一中", "101", "1", "张三", "90", "90"},
      {"一中", "102", "1", "李四", "80", "70"},
      {"一中", "103", "1", "王五", "60", "60"},
      {"一中", "", "2", "赵六", "70", "75"},
      {"一中", "", "2", "陈七", "95", "95"},
      {"一中", "104", "2", "孙二", "100", "100"},
      {"二中", "201", "3", "周八", "85", "85"},
      {"二中", "202", "3", "吴九", "50", "40"},
      {"二中", "", "3", "刘一", "60", "60"},
  };
  rows.teachers = {{"学校", "班级", "语文", "数学"},
                   {"一中", "1", "张老师", "李老师"},
                   {"一中", "2", "赵老师", "李老师"},
                   {"二中", "3", "王老师", "周老师"}};
  rows.lines = {{"项目", "语文", "数学"}, {"满分", "100", "100"}, {"优秀", "85", "85"},
                {"优良", "75", "75"},     {"及格", "60", "60"},   {"主科", "1", "0"},
                {"权重", "100", "100"}};
  return rows;
}

inline analysis_test::ExamRows Final() {
  analysis_test::ExamRows rows = Midterm();
  rows.scores = {
      {"学校", "学号", "班级", "姓名", "语文", "数学"},
      {"一中", "101", "1", "张三", "80", "80"},
      {"一中", "102", "1", "李四", "95", "90"},
      {"一中", "103", "1", "王五", "", "70"},
      {"一中", "", "2", "赵六", "80", "80"},
      {"一中", "", "2", "陈七", "90", "90"},
      {"一中", "104", "2", "孙二", "85", "85"},
      {"一中", "104", "2", "钱三", "60", "70"},
      {"二中", "201", "3", "周八", "90", "95"},
      {"二中", "203", "3", "郑十", "70", "70"},
      {"二中", "", "3", "刘一", "65", "65"},
      {"二中", "", "3", "刘一", "75", "75"},
  };
  rows.teachers[1][2] = "钱老师";  // 一中 1 has a new 语文 teacher
  return rows;
}

// 月考, a third exam after 期末: 二中 3 did not sit it, 吴九 (202, left
// before 期末) is back in 二中 4, and 张三 ties with 李四.
//   学校 学号 班级 姓名 语文 数学 | 全科总分 全科排名
//   一中 101  1    张三  85   85  |  170       2
//   一中 102  1    李四  85   85  |  170       2
//   一中 104  2    孙二  95   95  |  190       1
//   二中 202  4    吴九  60   60  |  120       4
inline analysis_test::ExamRows Monthly() {
  analysis_test::ExamRows rows = Midterm();
  rows.scores = {
      {"学校", "学号", "班级", "姓名", "语文", "数学"}, {"一中", "101", "1", "张三", "85", "85"},
      {"一中", "102", "1", "李四", "85", "85"},         {"一中", "104", "2", "孙二", "95", "95"},
      {"二中", "202", "4", "吴九", "60", "60"},
  };
  rows.teachers[3][1] = "4";
  return rows;
}

// 期中 then 期末 imported into one database: 期末 is current (id 2), 期中 id 1.
class TwoExams : public analysis_test::ExamDatabase {
 public:
  TwoExams() : ExamDatabase(Midterm(), "期中") { import_result = Import(Final(), "期末"); }
};

}  // namespace two_exams
