#include "reports/class_pack.h"

#include <filesystem>
#include <set>

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

PackResult WriteClassPacks(data::AppState& state, const std::string& dir, const PdfWriter& pdf,
                           common::ProgressSink& progress, output::Date today,
                           const std::function<bool()>& cancelled) {
  const stats::ExamSnapshot exam = ReadCurrentExam(state, progress);
  ReportRun run{state, progress, today};
  const std::vector<SubjectTable> tables = ClassStatistics(run);
  const SlipWriter slips(exam, AdjustedForPrivacy({.average = true, .level = true}, state.privacy));
  const LetterWriter letters(exam);
  const std::vector<std::vector<std::size_t>> members = StudentsByClass(exam);
  const std::string& main_title = state.title_settings.MainTitle;
  PackResult result;
  std::set<fs::path> used;
  const auto total = static_cast<long long>(exam.Classes().size());
  for (std::size_t c = 0; c < exam.Classes().size(); ++c) {
    if (cancelled && cancelled()) {
      result.cancelled = true;
      break;
    }
    const stats::ExamClass& ec = exam.Classes()[c];
    const std::string& school = exam.Schools()[static_cast<std::size_t>(ec.school)].text;
    const std::string& klass = ec.key.text;
    progress.Report(static_cast<long long>(c), total, "按班输出 " + school + " " + klass);
    const fs::path folder = ClassFolder(dir, school, klass, used);
    std::error_code ec_dir;
    fs::create_directories(folder, ec_dir);
    if (ec_dir) throw ReportError("无法建立文件夹“" + folder.string() + "”：" + ec_dir.message());
    const std::string suffix = ClassTitle(school, klass);
    output::Document doc;
    slips.Fill(doc, members[c], state, main_title + "成绩条" + suffix, today);
    ApplyPrivacy(doc, state.privacy, false);
    Check(pdf(doc, (folder / "成绩条.pdf").string()));
    doc = output::Document();
    letters.Fill(doc, members[c], state, main_title + "家长告知书" + suffix, today);
    Check(pdf(doc, (folder / "家长告知书.pdf").string()));
    Check(WriteClassStatistics(tables, school, klass, state, (folder / "单科统计.xlsx").string()));
    doc = StudentList(exam, members[c], state, main_title + "学生名单" + suffix, today);
    ApplyPrivacy(doc, state.privacy, false);
    Check(grid::ExportToExcel(doc.grid, (folder / "学生名单.xlsx").string()));
    ++result.classes;
    result.files += 4;
  }
  progress.Report(total, total, "按班输出");
  return result;
}

}  // namespace reports
