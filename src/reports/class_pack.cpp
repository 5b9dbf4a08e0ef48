#include "reports/class_pack.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "common/text_number.h"
#include "grid/export.h"
#include "reports/analysis_table.h"
#include "reports/filter_rows.h"
#include "reports/parent_letter.h"
#include "reports/privacy.h"
#include "reports/result_slips.h"

namespace reports {
namespace {

namespace fs = std::filesystem;

void Check(const grid::Status& status) {
  if (!status) throw ReportError(status.message());
}

// 各班单科统计 of every subject, made once, with the filter's view of it.
struct SubjectTable {
  std::string subject;
  output::Document doc;
  FilterOptions filter;
};

std::vector<SubjectTable> ClassStatistics(ReportRun& run) {
  const ReportKind& gbkm = *FindReportKind("gbkm");
  std::vector<SubjectTable> tables;
  for (const std::string& subject : run.state.subject_lines.SubjectName) {
    SubjectTable t;
    t.subject = subject;
    ReportChoices choices;
    choices.Add("subject", subject);
    MakeReport(gbkm, t.doc, run, choices);
    t.filter = OpenFilterDialog(t.doc.grid);
    tables.push_back(std::move(t));
  }
  return tables;
}

// The class's rows of each subject's table, a sheet per subject.
grid::Status WriteClassStatistics(const std::vector<SubjectTable>& tables,
                                  const std::string& school, const std::string& klass,
                                  const data::AppState& state, const std::string& path) {
  std::vector<output::Document> docs;
  docs.reserve(tables.size());
  for (const SubjectTable& t : tables) {
    FilterOptions o = t.filter;
    o.school = school;
    o.klass = klass;
    std::optional<output::Document> rows = RunFilter(o, t.doc.grid, state);
    docs.push_back(rows ? std::move(*rows) : output::Document());
  }
  std::vector<grid::NamedGrid> sheets;
  for (std::size_t i = 0; i < docs.size(); ++i)
    sheets.push_back({tables[i].subject, &docs[i].grid});
  return grid::ExportBookToExcel(sheets, path);
}

// The class's students as 统计表 lists them: keys, scores, the two totals and 全科排名.
output::Document StudentList(const stats::ExamSnapshot& exam, std::span<const std::size_t> students,
                             const data::AppState& state, const std::string& title,
                             output::Date today) {
  std::vector<TableColumn> columns = {{"学校", ""}, {"学号", ""}, {"班级", ""}, {"姓名", ""}};
  for (const stats::ExamSubject& s : exam.Subjects()) columns.push_back({s.name, ""});
  for (const char* h : {"主科总分", "全科总分", "全科排名"}) columns.push_back({h, ""});
  output::Document doc;
  StartTable(doc, columns, students.size());
  grid::ReportGrid& g = doc.grid;
  const int first_total = 5 + static_cast<int>(exam.Subjects().size());
  for (std::size_t k = 0; k < students.size(); ++k) {
    const std::size_t i = students[k];
    const int row = static_cast<int>(k) + 1;
    WriteStudentKeys(g, row, exam, i);
    for (std::size_t s = 0; s < exam.Subjects().size(); ++s) {
      const double score = exam.Scores(static_cast<int>(s))[i];
      if (!stats::IsAbsent(score))
        g.SetCellText(row, 5 + static_cast<int>(s), common::TextOfDouble(score));
    }
    g.SetCellText(row, first_total, common::TextOfSingle(static_cast<float>(exam.MainTotals()[i])));
    g.SetCellText(row, first_total + 1,
                  common::TextOfSingle(static_cast<float>(exam.AllTotals()[i])));
    g.SetCellText(row, first_total + 2, common::TextOfInteger(exam.AllRanks()[i]));
  }
  FinishTable(doc, state, title, students.size(), output::FitPreference::kShrinkFirst, today);
  return doc;
}

// Each class's students, in slip order, by class index.
std::vector<std::vector<std::size_t>> StudentsByClass(const stats::ExamSnapshot& exam) {
  std::vector<std::vector<std::size_t>> members(exam.Classes().size());
  for (std::size_t i : SlipStudents(exam, "", "")) members[exam.ClassOf()[i]].push_back(i);
  return members;
}

fs::path ClassFolder(const fs::path& dir, const std::string& school, const std::string& klass,
                     std::set<fs::path>& used) {
  fs::path folder = dir / SafeFileName(school) / SafeFileName(klass);
  // Two names that differ only in what SafeFileName replaced get apart.
  for (int n = 2; !used.insert(folder).second; ++n)
    folder = dir / SafeFileName(school) / (SafeFileName(klass) + "_" + std::to_string(n));
  return folder;
}

unsigned PackThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
}

}  // namespace

std::string SafeFileName(const std::string& text) {
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\')
      out += '-';
    else if (c == ':')
      out += "：";
    else if (c == '(')
      out += "（";
    else if (c == ')')
      out += "）";
    else if (c < 0x20 || c == 0x7f ||
             std::string_view("*?\"<>|").find(ch) != std::string_view::npos)
      out += '_';
    else
      out += ch;
  }
  const std::size_t first = out.find_first_not_of(" .");
  if (first == std::string::npos) return "_";
  return out.substr(first, out.find_last_not_of(" .") - first + 1);
}

namespace {

// What every class's folder is made from, read and computed once; shared
// read-only by the threads that write the folders.
struct PackSources {
  const stats::ExamSnapshot& exam;
  const std::vector<SubjectTable>& tables;
  const SlipWriter& slips;
  const LetterWriter& letters;
  const data::AppState& state;
  const PdfWriter& pdf;
  output::Date today;
  std::vector<std::vector<std::size_t>> members;
  std::vector<fs::path> folders;
};

std::string ClassSuffix(const PackSources& s, std::size_t c) {
  const stats::ExamClass& ec = s.exam.Classes()[c];
  return ClassTitle(s.exam.Schools()[static_cast<std::size_t>(ec.school)].text, ec.key.text);
}

// The slips or the letters of classes [first, last), each to `name` in its
// folder, handed to the renderer at once.
void WriteClassPdfs(const PackSources& s, std::size_t first, std::size_t last, bool letters) {
  const std::string& main_title = s.state.title_settings.MainTitle;
  std::vector<output::Document> docs(last - first);
  std::vector<PdfJob> jobs;
  for (std::size_t c = first; c < last; ++c) {
    output::Document& doc = docs[c - first];
    if (letters) {
      s.letters.Fill(doc, s.members[c], s.state, main_title + "家长告知书" + ClassSuffix(s, c),
                     s.today);
    } else {
      s.slips.Fill(doc, s.members[c], s.state, main_title + "成绩条" + ClassSuffix(s, c), s.today);
      ApplyPrivacy(doc, s.state.privacy, false);
    }
    jobs.push_back({&doc, (s.folders[c] / (letters ? "家长告知书.pdf" : "成绩条.pdf")).string()});
  }
  Check(s.pdf(jobs));
}

// The folders of classes [first, last); `after` runs after each class's
// last file.
void WriteClassRun(const PackSources& s, std::size_t first, std::size_t last,
                   const std::function<void(std::size_t)>& after) {
  for (std::size_t c = first; c < last; ++c) {
    std::error_code failed;
    fs::create_directories(s.folders[c], failed);
    if (failed)
      throw ReportError("无法建立文件夹“" + s.folders[c].string() + "”：" + failed.message());
  }
  WriteClassPdfs(s, first, last, false);
  WriteClassPdfs(s, first, last, true);
  for (std::size_t c = first; c < last; ++c) {
    const stats::ExamClass& ec = s.exam.Classes()[c];
    Check(WriteClassStatistics(s.tables, s.exam.Schools()[static_cast<std::size_t>(ec.school)].text,
                               ec.key.text, s.state, (s.folders[c] / "单科统计.xlsx").string()));
    output::Document doc =
        StudentList(s.exam, s.members[c], s.state,
                    s.state.title_settings.MainTitle + "学生名单" + ClassSuffix(s, c), s.today);
    ApplyPrivacy(doc, s.state.privacy, false);
    Check(grid::ExportToExcel(doc.grid, (s.folders[c] / "学生名单.xlsx").string()));
    after(c);
  }
}

// Runs of consecutive classes, each painted as one document per kind: big
// enough that building the fonts is a small part of it, small enough to hold
// in memory and to keep every core busy to the end.
std::vector<std::size_t> ClassRuns(const std::vector<std::vector<std::size_t>>& members,
                                   unsigned threads) {
  constexpr std::size_t kMostStudents = 2000;
  std::size_t students = 0;
  for (const auto& m : members) students += m.size();
  const std::size_t per_run = std::clamp<std::size_t>(students / (4 * threads), 1, kMostStudents);
  std::vector<std::size_t> firsts{0};
  std::size_t in_run = 0;
  for (std::size_t c = 0; c < members.size(); ++c) {
    if (in_run >= per_run) {
      firsts.push_back(c);
      in_run = 0;
    }
    in_run += members[c].size();
  }
  firsts.push_back(members.size());
  return firsts;
}

// The runs still to write, handed out one at a time to every thread.
struct ClassQueue {
  std::vector<std::size_t> runs;  // the first class of each, then the end
  std::atomic<std::size_t> next{0};
  std::atomic<int> done{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::exception_ptr error;

  // Writes runs until none is left or the queue stops; `after` runs on this
  // thread after each class and `after_run` after each run (the caller's
  // thread reports and asks whether to cancel there).
  void Work(const PackSources& s, const std::function<void(std::size_t)>& after = {},
            const std::function<void()>& after_run = {}) {
    for (std::size_t r = next++; r + 1 < runs.size() && !stop; r = next++) {
      try {
        WriteClassRun(s, runs[r], runs[r + 1], [&](std::size_t c) {
          ++done;
          if (after) after(c);
        });
      } catch (...) {
        const std::lock_guard lock(mutex);
        if (!error) error = std::current_exception();
        stop = true;
      }
      if (after_run) after_run();
    }
  }
};

// Each class's folder, named apart before any thread writes.
std::vector<fs::path> ClassFolders(const stats::ExamSnapshot& exam, const fs::path& dir) {
  std::set<fs::path> used;
  std::vector<fs::path> folders;
  for (const stats::ExamClass& ec : exam.Classes())
    folders.push_back(ClassFolder(dir, exam.Schools()[static_cast<std::size_t>(ec.school)].text,
                                  ec.key.text, used));
  return folders;
}

}  // namespace

PackResult WriteClassPacks(data::AppState& state, const std::string& dir, const PdfWriter& pdf,
                           common::ProgressSink& progress, output::Date today,
                           const std::function<bool()>& cancelled) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  ReportRun run{state, progress, today};
  const std::vector<SubjectTable> tables = ClassStatistics(run);
  const SlipWriter slips(exam, AdjustedForPrivacy({.average = true, .level = true}, state.privacy));
  const LetterWriter letters(exam,
                             LetterTrends(state.database_path, exam, SlipStudents(exam, "", ""),
                                          state.privacy.letter_trend, progress));
  const PackSources sources{exam,
                            tables,
                            slips,
                            letters,
                            state,
                            pdf,
                            today,
                            StudentsByClass(exam),
                            ClassFolders(exam, dir)};
  const auto total = static_cast<long long>(exam.Classes().size());
  const unsigned threads = PackThreads();
  ClassQueue queue;
  queue.runs = ClassRuns(sources.members, threads);
  PackResult result;
  if (cancelled && cancelled()) {
    result.cancelled = true;
    return result;
  }
  // The classes are independent: every core writes some, this thread too,
  // between which it alone reports progress and asks whether to stop.
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t)
    helpers.emplace_back([&queue, &sources] { queue.Work(sources); });
  queue.Work(
      sources,
      [&](std::size_t c) {
        const stats::ExamClass& ec = exam.Classes()[c];
        progress.Report(queue.done, total,
                        "按班输出 " + exam.Schools()[static_cast<std::size_t>(ec.school)].text +
                            " " + ec.key.text);
      },
      [&] {
        if (cancelled && !queue.stop && cancelled()) {
          result.cancelled = true;
          queue.stop = true;
        }
      });
  for (std::thread& t : helpers) t.join();
  if (queue.error) std::rethrow_exception(queue.error);
  result.classes = queue.done;
  result.files = 4 * result.classes;
  progress.Report(total, total, "按班输出");
  return result;
}

}  // namespace reports
