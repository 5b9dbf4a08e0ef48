#include "stats/exam_history.h"

#include <algorithm>

#include "data/score_database.h"
#include "stats/exam_matching.h"
#include "stats/kernels.h"

namespace stats {
namespace {

void ReportExam(common::ProgressSink& progress, std::size_t e, std::size_t exams,
                const data::ExamInfo& exam) {
  progress.Report(static_cast<long long>(e), static_cast<long long>(exams),
                  "正在读取考试“" + exam.name + "”……");
}

// What every student of one exam shares: computed once per exam, however
// many students are followed.
struct ExamRanks {
  std::vector<std::int32_t> class_ranks;
  std::vector<std::int64_t> class_sizes;
};

ExamRanks RanksOf(const ExamSnapshot& exam) {
  ExamRanks r{ClassRanks(exam, exam.AllTotals()),
              std::vector<std::int64_t>(exam.Classes().size(), 0)};
  for (const std::uint32_t c : exam.ClassOf()) ++r.class_sizes[c];
  return r;
}

void FillStudent(StudentExamResult& r, const ExamSnapshot& exam, const ExamRanks& ranks,
                 std::size_t i) {
  r.found = true;
  r.school = exam.SchoolOf(i).text;
  r.student_number = std::string(exam.StudentNumber(i));
  r.class_name = exam.Classes()[exam.ClassOf()[i]].key.text;
  r.name = std::string(exam.Name(i));
  for (int s = 0; s < static_cast<int>(exam.Subjects().size()); ++s)
    r.scores.push_back({exam.Subjects()[static_cast<std::size_t>(s)].name, exam.Scores(s)[i]});
  r.all_total = exam.AllTotals()[i];
  r.all_rank = exam.AllRanks()[i];
  r.exam_size = static_cast<std::int64_t>(exam.StudentCount());
  r.class_rank = ranks.class_ranks[i];
  r.class_size = ranks.class_sizes[exam.ClassOf()[i]];
}

// The one student of `exam` with that 学号.
std::size_t FindByNumber(const ExamSnapshot& exam, const std::string& number) {
  std::size_t found = 0, count = 0;
  for (std::size_t i = 0; i < exam.StudentCount(); ++i) {
    if (exam.StudentNumber(i) != number) continue;
    found = i;
    ++count;
  }
  if (count == 0) throw data::LibraryError("当前考试中没有学号为 " + number + " 的学生。");
  if (count > 1)
    throw data::LibraryError("当前考试中有 " + std::to_string(count) + " 名学生的学号都是 " +
                             number + "，无法确定要跟踪哪一名。");
  return found;
}

std::optional<std::size_t> FindClass(const ExamSnapshot& exam, const std::string& school,
                                     const std::string& class_name) {
  for (std::size_t c = 0; c < exam.Classes().size(); ++c) {
    const ExamClass& k = exam.Classes()[c];
    if (k.key.text == class_name &&
        exam.Schools()[static_cast<std::size_t>(k.school)].text == school)
      return c;
  }
  return std::nullopt;
}

void FillClass(ClassExamResult& r, const ExamSnapshot& exam, std::size_t c) {
  const int classes = static_cast<int>(exam.Classes().size());
  r.found = true;
  for (int s = 0; s < static_cast<int>(exam.Subjects().size()); ++s) {
    const Summary sum = SummarizeGroups(exam.Scores(s), exam.ClassOf(), classes)[c];
    r.subjects.push_back(exam.Subjects()[static_cast<std::size_t>(s)].name);
    r.subject_means.push_back(sum.count > 0 ? std::optional<double>(sum.mean) : std::nullopt);
  }
  const std::vector<double> means = ClassTotalMeans(exam);
  r.students = SummarizeGroups(exam.AllTotals(), exam.ClassOf(), classes)[c].count;
  r.total_mean = means[c];
  r.rank = CompetitionRanks(means)[c];
  r.class_count = classes;
}

}  // namespace

ExamSnapshot ReadExamDatabase(engine::Database& db, data::SubjectLines& lines,
                              common::ProgressSink& progress) {
  data::LoadSubjectLines(db, lines);
  try {
    return ExamSnapshot::Read(db, lines, progress);
  } catch (const engine::Error&) {
    // Nothing imported yet (or 统计表 dropped): an exam without students.
    return ExamSnapshot::WithoutStudents(lines);
  }
}

ExamSnapshot ReadLibraryExam(const std::string& database_path, int id,
                             common::ProgressSink& progress) {
  engine::Database db = data::OpenExam(database_path, id);
  data::SubjectLines lines;
  return ReadExamDatabase(db, lines, progress);
}

std::vector<std::int32_t> ClassRanks(const ExamSnapshot& exam, std::span<const double> totals) {
  return CompetitionRanks(totals, exam.ClassOf());
}

std::vector<double> ClassTotalMeans(const ExamSnapshot& exam) {
  std::vector<double> means;
  for (const Summary& s :
       SummarizeGroups(exam.AllTotals(), exam.ClassOf(), static_cast<int>(exam.Classes().size())))
    means.push_back(s.mean);
  return means;
}

void VisitHistory(const std::string& database_path, const ExamSnapshot& current,
                  common::ProgressSink& progress, const HistoryVisitor& visit,
                  const std::function<bool(const data::ExamInfo&)>& wanted) {
  common::NullProgress quiet;
  const int current_id = data::CurrentExamId(database_path);
  const std::vector<data::ExamInfo> exams = data::ListExams(database_path);
  for (std::size_t e = 0; e < exams.size(); ++e) {
    if (wanted && !wanted(exams[e])) continue;
    ReportExam(progress, e, exams.size(), exams[e]);
    if (exams[e].id == current_id) {
      std::vector<std::int64_t> itself(current.StudentCount());
      for (std::size_t i = 0; i < itself.size(); ++i) itself[i] = static_cast<std::int64_t>(i);
      visit(e, exams[e], current, itself);
      continue;
    }
    const ExamSnapshot other = ReadLibraryExam(database_path, exams[e].id, quiet);
    visit(e, exams[e], other, MatchStudents(current, other).base_of);
  }
}

std::vector<std::vector<StudentExamResult>> StudentHistories(const std::string& database_path,
                                                             const ExamSnapshot& current,
                                                             std::span<const std::size_t> students,
                                                             common::ProgressSink& progress) {
  std::vector<std::vector<StudentExamResult>> histories(students.size());
  VisitHistory(database_path, current, progress,
               [&](std::size_t, const data::ExamInfo& info, const ExamSnapshot& exam,
                   std::span<const std::int64_t> index_of) {
                 const ExamRanks ranks = RanksOf(exam);
                 for (std::size_t k = 0; k < students.size(); ++k) {
                   StudentExamResult& r = histories[k].emplace_back();
                   r.exam = info;
                   if (const std::int64_t j = index_of[students[k]]; j != kUnmatched)
                     FillStudent(r, exam, ranks, static_cast<std::size_t>(j));
                 }
               });
  return histories;
}

std::vector<StudentExamResult> StudentHistory(const data::AppState& state,
                                              const std::string& student_number,
                                              common::ProgressSink& progress) {
  common::NullProgress quiet;
  engine::Database db = engine::Database::Open(state.database_path);
  data::SubjectLines lines;
  const ExamSnapshot current = ReadExamDatabase(db, lines, quiet);
  const std::size_t student[] = {FindByNumber(current, student_number)};
  return StudentHistories(state.database_path, current, student, progress).front();
}

std::vector<ClassExamResult> ClassHistory(const data::AppState& state, const std::string& school,
                                          const std::string& class_name,
                                          common::ProgressSink& progress) {
  common::NullProgress quiet;
  const std::vector<data::ExamInfo> exams = data::ListExams(state.database_path);
  std::vector<ClassExamResult> history;
  for (std::size_t e = 0; e < exams.size(); ++e) {
    ReportExam(progress, e, exams.size(), exams[e]);
    ClassExamResult& r = history.emplace_back();
    r.exam = exams[e];
    const ExamSnapshot exam = ReadLibraryExam(state.database_path, exams[e].id, quiet);
    r.grade_mean = Summarize(exam.AllTotals()).mean;
    if (const auto c = FindClass(exam, school, class_name)) FillClass(r, exam, *c);
  }
  return history;
}

}  // namespace stats
