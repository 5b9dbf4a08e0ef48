#include "reports/option_form.h"

#include <gtest/gtest.h>

namespace reports {
namespace {

// 科目 stands for the exam's subjects; other Chinese choices are listed as
// they are; placeholders in Latin letters and a lone word (学校) are typed.
// An optional subject (ljs: without one the list is by rank) starts empty.
TEST(OptionFormTest, ListsForChoicesTextBoxesForTheRestEmptiesForFallbacks) {
  data::SubjectLines lines;
  lines.SubjectName = {"语文", "数学"};
  using Items = std::vector<std::string>;
  const ReportKind& ljs = *FindReportKind("ljs");
  std::vector<OptionField> f = OptionFields(ljs, lines);  // subject, line, band, rank
  EXPECT_EQ(f[0].choices, (Items{"", "语文", "数学"}));
  EXPECT_EQ(f[1].choices, (Items{"优秀", "优良", "及格"}));
  EXPECT_TRUE(f[2].choices.empty()) << "D|K is a number to type";
  EXPECT_EQ(OptionFields(*FindReportKind("cjl"), lines)[0].choices,
            (Items{"语文", "数学", "全科总分", "主科总分"}));
  for (OptionField& field : f) field.value.clear();
  f[3].value = "100";
  const ReportChoices choices = ChoicesOf(ljs, f);
  EXPECT_FALSE(choices.Given("subject"));
  EXPECT_EQ(choices.Get("rank"), "100");
  EXPECT_EQ(choices.Get("band"), "5") << "an emptied field leaves the fallback";
  EXPECT_FALSE(HasOptionForm(*FindReportKind("qkjhtj"))) << "a dialog of its own";
}

// 考试编号 stands for the library's exams, shown "id 名称" (the comparison
// kinds read the id back); empty first, which means the exam before the
// current one.
TEST(OptionFormTest, ExamChoicesListTheLibrary) {
  data::SubjectLines lines;
  lines.SubjectName = {"语文"};
  std::vector<data::ExamInfo> exams(2);
  exams[0].id = 1;
  exams[0].name = "期中";
  exams[1].id = 3;
  exams[1].name = "期末 考试";
  const std::vector<OptionField> f = OptionFields(*FindReportKind("bjdb"), lines, exams);
  EXPECT_EQ(f[0].choices, (std::vector<std::string>{"", "1 期中", "3 期末 考试"}));
  EXPECT_EQ(f[1].choices, (std::vector<std::string>{"", "语文"})) << "no subject: 全科总分";
}

}  // namespace
}  // namespace reports
