#include "reports/score_tracking.h"

#include <algorithm>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "reports/analysis_table.h"
#include "reports/exam_comparison.h"
#include "stats/exam_history.h"

namespace reports {
namespace {

const std::string kNumber(grid::kGeneralNumber);

// The subjects of all the exams, in the order they first appear.
template <typename Result, typename SubjectsOf>
std::vector<std::string> AllSubjects(const std::vector<Result>& history, SubjectsOf subjects_of) {
  std::vector<std::string> all;
  for (const Result& r : history)
    for (const std::string& s : subjects_of(r))
      if (std::find(all.begin(), all.end(), s) == all.end()) all.push_back(s);
  return all;
}

std::vector<TableColumn> Columns(const std::vector<std::string>& subjects, bool for_class) {
  std::vector<TableColumn> columns = {{"考试", ""}, {"导入日期", ""}};
  if (for_class) columns.push_back({"人数", "0"});
  for (const std::string& s : subjects) columns.push_back({s, for_class ? "0.00" : kNumber});
  columns.push_back({"全科总分", for_class ? "0.00" : kNumber});
  columns.push_back({"全科排名", "0"});
  if (!for_class) columns.push_back({"班名", "0"});
  return columns;
}

void WriteExam(grid::ReportGrid& g, int row, const data::ExamInfo& exam) {
  g.SetCellText(row, 1, exam.name);
  g.SetCellText(row, 2, exam.imported_at.substr(0, exam.imported_at.find(' ')));
}

int SubjectColumn(const std::vector<std::string>& subjects, const std::string& s, int first) {
  const auto it = std::find(subjects.begin(), subjects.end(), s);
  return first + static_cast<int>(it - subjects.begin());
}

void Finish(output::Document& doc, const data::AppState& state, const std::string& who,
            const std::string& what, std::size_t rows, output::Date today) {
  data::AppState titled = state;
  titled.title_settings.LeftSubtitle = who;
  titled.title_settings.RightSubtitle = what;
  FinishTable(doc, titled, state.title_settings.MainTitle + "成绩跟踪表", rows,
              output::FitPreference::kTurnFirst, today);
}

}  // namespace

void StudentTracking(output::Document& doc, data::AppState& state,
                     const std::string& student_number, common::ProgressSink& progress,
                     output::Date today) {
  const std::vector<stats::StudentExamResult> history =
      TrackedStudent(state, student_number, progress);
  const std::vector<std::string> subjects = AllSubjects(history, [](const auto& r) {
    std::vector<std::string> names;
    for (const stats::SubjectScore& s : r.scores) names.push_back(s.subject);
    return names;
  });
  StartTable(doc, Columns(subjects, false), history.size());
  grid::ReportGrid& g = doc.grid;
  std::string who;
  for (std::size_t e = 0; e < history.size(); ++e) {
    const stats::StudentExamResult& r = history[e];
    const int row = static_cast<int>(e) + 1;
    WriteExam(g, row, r.exam);
    if (!r.found) continue;
    for (const stats::SubjectScore& s : r.scores)
      if (!stats::IsAbsent(s.score))
        g.SetCellText(row, SubjectColumn(subjects, s.subject, 3), common::TextOfDouble(s.score));
    const int after = 3 + static_cast<int>(subjects.size());
    g.SetCellText(row, after, common::TextOfSingle(static_cast<float>(r.all_total)));
    g.SetCellText(row, after + 1, common::TextOfInteger(r.all_rank));
    g.SetCellText(row, after + 2, common::TextOfInteger(r.class_rank));
    who = r.school + " " + r.class_name + " " + r.name;  // as the latest exam has them
  }
  Finish(doc, state, who, "学号 " + student_number, history.size(), today);
}

void ClassTracking(output::Document& doc, data::AppState& state, const std::string& school,
                   const std::string& class_name, common::ProgressSink& progress,
                   output::Date today) {
  const std::vector<stats::ClassExamResult> history =
      TrackedClass(state, school, class_name, progress);
  const std::vector<std::string> subjects =
      AllSubjects(history, [](const auto& r) { return r.subjects; });
  StartTable(doc, Columns(subjects, true), history.size());
  grid::ReportGrid& g = doc.grid;
  for (std::size_t e = 0; e < history.size(); ++e) {
    const stats::ClassExamResult& r = history[e];
    const int row = static_cast<int>(e) + 1;
    WriteExam(g, row, r.exam);
    if (!r.found) continue;
    g.SetCellText(row, 3, common::TextOfInteger(r.students));
    for (std::size_t s = 0; s < r.subjects.size(); ++s)
      if (r.subject_means[s])
        g.SetCellText(row, SubjectColumn(subjects, r.subjects[s], 4),
                      TwoDecimals(*r.subject_means[s]));
    const int after = 4 + static_cast<int>(subjects.size());
    g.SetCellText(row, after, TwoDecimals(r.total_mean));
    g.SetCellText(row, after + 1, common::TextOfInteger(r.rank));
  }
  Finish(doc, state, school + " " + class_name, "班级平均分及名次", history.size(), today);
}

TrackedOne ReadTrackedOne(const ReportChoices& choices) {
  TrackedOne one;
  one.student = choices.Get("student");
  const std::string cls = choices.Get("class");
  if (one.student.empty() == cls.empty())
    throw ReportError("请指定 --student 学号 或 --class 学校/班级（只指定其中一个）。");
  if (!one.student.empty()) return one;
  const std::size_t slash = cls.find('/');
  if (slash == std::string::npos)
    throw ReportError("--class 应写成 学校/班级，例如 第一中学/高一(1)班：" + cls);
  one.school = cls.substr(0, slash);
  one.class_name = cls.substr(slash + 1);
  return one;
}

std::vector<stats::StudentExamResult> TrackedStudent(const data::AppState& state,
                                                     const std::string& student_number,
                                                     common::ProgressSink& progress) {
  try {
    return stats::StudentHistory(state, student_number, progress);
  } catch (const data::LibraryError& e) {
    throw ReportError(e.what());
  }
}

std::vector<stats::ClassExamResult> TrackedClass(const data::AppState& state,
                                                 const std::string& school,
                                                 const std::string& class_name,
                                                 common::ProgressSink& progress) {
  std::vector<stats::ClassExamResult> history =
      stats::ClassHistory(state, school, class_name, progress);
  if (std::none_of(history.begin(), history.end(), [](const auto& r) { return r.found; }))
    throw ReportError("考试库中没有“" + school + "”的班级“" + class_name + "”。");
  return history;
}

void TrackingKind(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  const TrackedOne one = ReadTrackedOne(choices);
  if (!one.student.empty())
    StudentTracking(doc, run.state, one.student, run.progress, run.today);
  else
    ClassTracking(doc, run.state, one.school, one.class_name, run.progress, run.today);
}

}  // namespace reports
