// 学生进退步表 and 班级对比表 on the two hand-worked exams of two_exams.h, and
// the refusals of the reports on two exams. tests/verify recomputes every
// comparison report on larger libraries.
#include <gtest/gtest.h>

#include "../stats/two_exams.h"
#include "analysis_fixture.h"
#include "reports/class_comparison.h"
#include "reports/exam_comparison.h"
#include "reports/score_tracking.h"

namespace {

using namespace analysis_test;

constexpr output::Date kDay{std::chrono::year{2024}, std::chrono::month{11}, std::chrono::day{5}};

class ExamComparisonTest : public ::testing::Test {
 protected:
  two_exams::TwoExams exams;
  output::Document doc;
  common::NullProgress progress;
  const grid::ReportGrid& g = doc.grid;

  data::ExamInfo Midterm() { return data::FindExam(exams.state.database_path, 1); }
  std::string SecondTitle() const { return g.ReportTitles().Item(1).text; }
};

TEST_F(ExamComparisonTest, ProgressTablePairsByNumberThenBySchoolAndName) {
  reports::ProgressTable(doc, exams.state, Midterm(), false, progress, kDay);
  EXPECT_EQ(doc.caption, "高一期中学生进退步表");
  EXPECT_EQ(RowOf(g, 0),
            (Cells{"学校", "学号", "班级", "姓名", "本次总分", "本次名次", "上次总分", "上次名次",
                   "名次变化", "进退步系数", "本次班名", "上次班名", "班名变化"}));
  // 7 paired, the label row, 4 unpaired.
  ASSERT_EQ(DataRows(g), 12);
  // 一中 1 by 本次名次: 李四 5th → 1st is +4 of 5 = 0.80; 张三 3rd → 5th is
  // −2 of 3 = −0.67; 王五 (absent in 语文) 7th → 11th, −4 of 7 = −0.57.
  EXPECT_EQ(RowOf(g, 1), (Cells{"一中", "102", "1", "李四", "185", "1", "150", "5", "4", "0.80",
                                "1", "2", "1"}));
  EXPECT_EQ(RowOf(g, 2), (Cells{"一中", "101", "1", "张三", "160", "5", "180", "3", "-2", "-0.67",
                                "2", "1", "-1"}));
  EXPECT_EQ(RowOf(g, 3), (Cells{"一中", "103", "1", "王五", "70", "11", "120", "7", "-4", "-0.57",
                                "3", "3", "0"}));
  // 一中 2: 陈七 and 赵六 have no 学号; 孙二's 学号 104 is also 钱三's in
  // 期末, so all three pair by 学校 + 姓名. 孙二 fell from 1st to 4th: −3.00.
  EXPECT_EQ(RowOf(g, 4),
            (Cells{"一中", "", "2", "陈七", "180", "3", "190", "2", "-1", "-0.50", "1", "2", "1"}));
  EXPECT_EQ(RowOf(g, 5), (Cells{"一中", "104", "2", "孙二", "170", "4", "200", "1", "-3", "-3.00",
                                "2", "1", "-1"}));
  EXPECT_EQ(RowOf(g, 6),
            (Cells{"一中", "", "2", "赵六", "160", "5", "145", "6", "1", "0.17", "3", "3", "0"}));
  EXPECT_EQ(RowOf(g, 7), (Cells{"二中", "201", "3", "周八", "185", "1", "170", "4", "3", "0.75",
                                "1", "1", "0"}));
  // The unpaired, in the same order, with this exam's columns only: 钱三
  // (new, 学号 shared), then 二中 3 by rank: a 刘一, 郑十 (new), the other 刘一.
  EXPECT_EQ(RowOf(g, 8)[0], "未能对应的学生");
  EXPECT_EQ(RowOf(g, 9),
            (Cells{"一中", "104", "2", "钱三", "130", "9", "", "", "", "", "4", "", ""}));
  EXPECT_EQ(RowOf(g, 10)[3] + RowOf(g, 10)[4], "刘一150");
  EXPECT_EQ(RowOf(g, 11)[3] + RowOf(g, 11)[5] + RowOf(g, 11)[10], "郑十83");
  EXPECT_EQ(RowOf(g, 12)[3] + RowOf(g, 12)[5] + RowOf(g, 12)[10], "刘一94");
  EXPECT_EQ(SecondTitle(), "对比考试：期中||对应学生 7 人");
}

TEST_F(ExamComparisonTest, ClassComparisonByTotalsStartsWithTheWholeExam) {
  reports::ClassComparison(doc, exams.state, Midterm(), "", progress, kDay);
  EXPECT_EQ(RowOf(g, 0), (Cells{"学校", "班级", "本次人数", "本次平均分", "本次前50名",
                                "本次前100名", "本次前200名", "上次人数", "上次平均分",
                                "上次前50名", "上次前100名", "上次前200名", "平均分变化"}));
  ASSERT_EQ(DataRows(g), 4);
  // 期末 1660 / 11 = 150.909, 期中 1365 / 9 = 151.667; the change is
  // −0.758. Everyone ranks within 50 in exams this small.
  EXPECT_EQ(RowOf(g, 1), (Cells{"合计", "", "11", "150.91", "11", "11", "11", "9", "151.67", "9",
                                "9", "9", "-0.76"}));
  // 一中 1: 415 / 3 against 450 / 3; 一中 2: 640 / 4 against 535 / 3;
  // 二中 3: 605 / 4 against 380 / 3 (吴九 left, two 刘一 now).
  EXPECT_EQ(RowOf(g, 2), (Cells{"一中", "1", "3", "138.33", "3", "3", "3", "3", "150.00", "3", "3",
                                "3", "-11.67"}));
  EXPECT_EQ(RowOf(g, 3), (Cells{"一中", "2", "4", "160.00", "4", "4", "4", "3", "178.33", "3", "3",
                                "3", "-18.33"}));
  EXPECT_EQ(RowOf(g, 4), (Cells{"二中", "3", "4", "151.25", "4", "4", "4", "3", "126.67", "3", "3",
                                "3", "24.58"}));
  EXPECT_EQ(SecondTitle(), "对比考试：期中||对应学生 7 人");
}

TEST_F(ExamComparisonTest, RefusalsSayWhatIsWrong) {
  auto refused = [&](const std::function<void()>& make, const std::string& words) {
    try {
      make();
      ADD_FAILURE() << "not refused: " << words;
    } catch (const reports::ReportError& e) {
      EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
  };
  auto choices = [](std::vector<std::pair<std::string, std::string>> given) {
    reports::ReportChoices c(reports::FindReportKind("jtb")->options);
    for (auto& [k, v] : given) c.Add(k, v);
    return c;
  };
  const data::AppState& s = exams.state;
  refused([&] { reports::ChosenBaseExam(s, choices({{"base", "2"}})); }, "当前考试本身");
  refused([&] { reports::ChosenBaseExam(s, choices({{"base", "9"}})); }, "编号为 9");
  refused([&] { reports::ChosenBaseExam(s, choices({{"base", "上次"}})); }, "考试编号");
  // Without --base, the exam before the current one; the desktop's list
  // gives "id 名称".
  EXPECT_EQ(reports::ChosenBaseExam(s, choices({})).id, 1);
  EXPECT_EQ(reports::ChosenBaseExam(s, choices({{"base", "1 期中"}})).id, 1);
  refused([&] { reports::StudentTracking(doc, exams.state, "104", progress, kDay); },
          "有 2 名学生");
  refused([&] { reports::StudentTracking(doc, exams.state, "999", progress, kDay); }, "999");
  refused([&] { reports::ClassTracking(doc, exams.state, "三中", "1", progress, kDay); }, "三中");
  refused([&] { reports::ClassComparison(doc, exams.state, Midterm(), "英语", progress, kDay); },
          "英语");
}

}  // namespace
