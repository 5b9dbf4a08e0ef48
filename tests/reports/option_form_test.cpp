#include "reports/option_form.h"

#include <gtest/gtest.h>

namespace reports {
namespace {

data::SubjectLines TwoSubjects() {
  data::SubjectLines lines;
  lines.SubjectName = {"语文", "数学"};
  return lines;
}

const OptionField& Field(const std::vector<OptionField>& fields, const std::string& name) {
  for (const OptionField& f : fields)
    if (f.name == name) return f;
  throw std::out_of_range(name);
}

// 科目 stands for the exam's subjects; other Chinese choices are listed as
// they are; placeholders in Latin letters and a lone word (学校) are typed.
TEST(OptionFormTest, ListsForChoicesTextBoxesForTheRest) {
  const std::vector<OptionField> yfyd = OptionFields(*FindReportKind("yfyd"), TwoSubjects());
  const OptionField& subject = Field(yfyd, "subject");
  EXPECT_EQ(subject.choices, (std::vector<std::string>{"语文", "数学", "全科总分", "主科总分"}));
  EXPECT_EQ(subject.value, "全科总分");
  EXPECT_EQ(subject.label, "科目");
  EXPECT_TRUE(Field(yfyd, "step").choices.empty());
  EXPECT_EQ(Field(yfyd, "step").value, "1");
  EXPECT_TRUE(Field(yfyd, "school").choices.empty());

  const std::vector<OptionField> ljs = OptionFields(*FindReportKind("ljs"), TwoSubjects());
  // Without a subject the list is by rank, so the list can be left empty.
  EXPECT_EQ(Field(ljs, "subject").choices, (std::vector<std::string>{"", "语文", "数学"}));
  EXPECT_EQ(Field(ljs, "line").choices, (std::vector<std::string>{"优秀", "优良", "及格"}));
  EXPECT_TRUE(Field(ljs, "band").choices.empty()) << "D|K is a number to type";
  const std::vector<OptionField> mcfb = OptionFields(*FindReportKind("mcfb"), TwoSubjects());
  EXPECT_EQ(Field(mcfb, "by").choices, (std::vector<std::string>{"全科", "主科", "语文", "数学"}));
}

TEST(OptionFormTest, EmptyFieldsLeaveTheFallbacks) {
  const ReportKind& ljs = *FindReportKind("ljs");
  std::vector<OptionField> fields = OptionFields(ljs, TwoSubjects());
  for (OptionField& f : fields) f.value.clear();
  Field(fields, "rank");  // present
  for (OptionField& f : fields)
    if (f.name == "rank") f.value = "100";
  const ReportChoices choices = ChoicesOf(ljs, fields);
  EXPECT_FALSE(choices.Given("subject"));
  EXPECT_EQ(choices.Get("rank"), "100");
  EXPECT_EQ(choices.Get("band"), "5") << "the fallback of an emptied field";
}

TEST(OptionFormTest, OnlyKindsWhoseOptionsAllHaveLabelsUseTheForm) {
  EXPECT_TRUE(HasOptionForm(*FindReportKind("djpj")));
  EXPECT_FALSE(HasOptionForm(*FindReportKind("bzf"))) << "no options: made at once";
  EXPECT_FALSE(HasOptionForm(*FindReportKind("qkjhtj"))) << "a dialog of its own";
}

}  // namespace
}  // namespace reports
