// The options dialog the desktop builds for a kind from its declarations
// (ReportOption with a label): one field per option, in declaration order,
// a drop-down list where the values are a choice of Chinese words (科目
// standing for every subject), a text box otherwise. Kept free of Qt so that
// what the dialog offers and what it hands the kind are tested without a
// display.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "data/app_state.h"
#include "data/exam_library.h"
#include "reports/report_catalog.h"

namespace reports {

struct OptionField {
  std::string name;                  // the option's name, also the control's objectName
  std::string label;                 // the text beside the control
  std::vector<std::string> choices;  // the list's items; empty for a text box
  std::string value;                 // the fallback at first
};

// True when every option has a label (and there is one), so that the
// desktop asks through the generic dialog.
bool HasOptionForm(std::span<const ReportOption> options);
inline bool HasOptionForm(const ReportKind& kind) {
  return HasOptionForm(kind.options);
}

// The fields for `options` with the current exam's subjects and, where the
// values are 考试编号, the library's exams as "id 名称" (the kinds read the
// id back). An optional subject or exam (its fallback empty) gets an empty
// first item.
std::vector<OptionField> OptionFields(std::span<const ReportOption> options,
                                      const data::SubjectLines& lines,
                                      const std::vector<data::ExamInfo>& exams = {});
inline std::vector<OptionField> OptionFields(const ReportKind& kind,
                                             const data::SubjectLines& lines,
                                             const std::vector<data::ExamInfo>& exams = {}) {
  return OptionFields(kind.options, lines, exams);
}

// The choices the filled fields make: every field with a value.
ReportChoices ChoicesOf(std::span<const ReportOption> options,
                        const std::vector<OptionField>& fields);
inline ReportChoices ChoicesOf(const ReportKind& kind, const std::vector<OptionField>& fields) {
  return ChoicesOf(kind.options, fields);
}

}  // namespace reports
