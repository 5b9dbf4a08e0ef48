#include "reports/option_form.h"

#include <algorithm>

#include "reports/exam_comparison.h"

namespace reports {
namespace {

constexpr std::string_view kSubjectWord = "科目";
constexpr std::string_view kExamWord = "考试编号";

// A list when the values are Chinese words to choose from ("优秀|优良|及格",
// "科目"); placeholders written in Latin letters ("N", "D|K", "A,B,C") and a
// lone word other than 科目 (学校) are typed in.
bool IsChoiceList(std::string_view values) {
  if (values == kSubjectWord || values == kExamWord) return true;
  return values.find('|') != std::string_view::npos &&
         std::none_of(values.begin(), values.end(),
                      [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

std::vector<std::string> Choices(const ReportOption& o, const data::SubjectLines& lines,
                                 const std::vector<data::ExamInfo>& exams) {
  std::vector<std::string> items;
  if (std::string_view(o.fallback).empty()) items.emplace_back();
  for (const std::string& word : SplitList(o.values, '|')) {
    if (word == kSubjectWord)
      items.insert(items.end(), lines.SubjectName.begin(), lines.SubjectName.end());
    else if (word == kExamWord)
      for (const data::ExamInfo& exam : exams) items.push_back(ExamChoiceText(exam));
    else
      items.push_back(word);
  }
  return items;
}

}  // namespace

bool HasOptionForm(std::span<const ReportOption> options) {
  return !options.empty() && std::all_of(options.begin(), options.end(),
                                         [](const ReportOption& o) { return o.label != nullptr; });
}

std::vector<OptionField> OptionFields(std::span<const ReportOption> options,
                                      const data::SubjectLines& lines,
                                      const std::vector<data::ExamInfo>& exams) {
  std::vector<OptionField> fields;
  for (const ReportOption& o : options) {
    OptionField f{o.name, o.label ? o.label : o.name, {}, o.fallback};
    if (IsChoiceList(o.values)) f.choices = Choices(o, lines, exams);
    fields.push_back(std::move(f));
  }
  return fields;
}

ReportChoices ChoicesOf(std::span<const ReportOption> options,
                        const std::vector<OptionField>& fields) {
  ReportChoices choices(options);
  for (const OptionField& f : fields)
    if (!f.value.empty()) choices.Add(f.name, f.value);
  return choices;
}

}  // namespace reports
