// Every report kind, as the command-line tool writes it, compared byte for
// byte with files reviewed once and committed under tests/golden/. They pin
// the outputs through refactorings: a difference is either a bug or a change
// to review, and then to regenerate with tools/update_golden.sh.
//
// Two exams: the sample workbook (small, every kind readable by eye) and a
// generated 2,000-student exam with 5 schools (ranks, ties and segments at
// scale). The printed date is switched off and the covers get a fixed day,
// so nothing depends on when the test runs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../shell_run.h"
#include "common/progress.h"
#include "data/app_state.h"
#include "data/score_database.h"
#include "grid/export.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace {

namespace fs = std::filesystem;

using test_support::ReadFileBytes;
using test_support::ShellQuote;

// An .xlsx as text: every member but docProps/core.xml, which holds the time
// the file was written.
std::string XlsxAsText(const fs::path& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!archive) return "(not a zip archive)";
  std::string text;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
    if (std::string(st.name) == "docProps/core.xml") continue;
    std::string member(st.size, '\0');
    if (zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
      zip_fread(f, member.data(), st.size);
      zip_fclose(f);
    }
    text += "== " + std::string(st.name) + " ==\n" + member + "\n";
  }
  zip_close(archive);
  return text;
}

bool Updating() {
  const char* v = std::getenv("SCORESTAT_UPDATE_GOLDEN");
  return v != nullptr && std::string(v) == "1";
}

// One exam imported into a database of its own, shared by the tests of the
// fixture (the import is the slow part).
class GoldenExam {
 public:
  GoldenExam(const std::string& name, const std::string& workbook) : name_(name) {
    // ctest runs the tests in parallel processes: one folder per process.
    dir_ =
        fs::temp_directory_path() / ("scorestat_golden_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    db_ = (dir_ / "exam.db").string();
    std::string book = workbook;
    if (book.empty()) {
      book = (dir_ / "exam.xlsx").string();
      Run({"generate", book, "--students", "2000", "--schools", "5", "--seed", "20240601"});
    }
    Run({"import", book});
    Run({"settings", "显示日期=0"});
    data::AppState state;
    data::SetDatabasePath(state, db_);
    data::LoadSubjectLines(state);
    subjects_ = state.subject_lines.SubjectName;
  }
  ~GoldenExam() { fs::remove_all(dir_); }

  const std::vector<std::string>& subjects() const { return subjects_; }
  const std::string& db() const { return db_; }
  const fs::path& dir() const { return dir_; }

  int Run(const std::vector<std::string>& args) const {
    std::string cmd = std::string(SCORESTAT_CLI) + " --db " + ShellQuote(db_);
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    cmd += " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Writes the report `file` (whose ending picks the format) and compares
  // it with the golden file of the same name.
  void Check(const std::string& file, std::vector<std::string> args) const {
    SCOPED_TRACE(name_ + "/" + file);
    const fs::path out = dir_ / file;
    args.insert(args.begin(), "report");
    args.push_back("-o");
    args.push_back(out.string());
    ASSERT_EQ(Run(args), 0) << "the report failed";
    const bool xlsx = out.extension() == ".xlsx";
    const std::string actual = xlsx ? XlsxAsText(out) : ReadFileBytes(out);
    const fs::path golden =
        fs::path(SCORESTAT_SOURCE_DIR) / "tests/golden" / name_ / (xlsx ? file + ".txt" : file);
    if (Updating()) {
      fs::create_directories(golden.parent_path());
      std::ofstream(golden, std::ios::binary) << actual;
      return;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden << " is missing";
    EXPECT_TRUE(actual == ReadFileBytes(golden)) << "differs from " << golden;
  }

 private:
  std::string name_;
  fs::path dir_;
  std::string db_;
  std::vector<std::string> subjects_;
};

// Each exam is imported once per test program, on first use: ctest runs
// every test in a process of its own, which then imports only its exam.
class GoldenTest : public ::testing::TestWithParam<const char*> {
 protected:
  static void TearDownTestSuite() { exams_.clear(); }
  const GoldenExam& Exam() const {
    const std::string name = GetParam();
    auto it = exams_.find(name);
    if (it == exams_.end()) {
      const std::string book =
          name == "sample" ? std::string(SCORESTAT_SOURCE_DIR) + "/examples/sample.xlsx" : "";
      it = exams_.emplace(name, std::make_unique<GoldenExam>(name, book)).first;
    }
    return *it->second;
  }

  static std::map<std::string, std::unique_ptr<GoldenExam>> exams_;
};

std::map<std::string, std::unique_ptr<GoldenExam>> GoldenTest::exams_;

// The kinds without choices: browse, all-subject, subject-count, the data
// information tables and the two ranked listings.
TEST_P(GoldenTest, KindsWithoutOptions) {
  for (const char* kind : {"cj", "jsb", "sxb", "tjtable", "gdktj", "topn", "cjbxx", "cjbschool",
                           "cjbclass", "zfdmbm", "czzpm"})
    Exam().Check(std::string(kind) + ".json", {kind});
}

// The single-subject reports, once per subject as `report all` makes them:
// each subject has its own full mark, lines and segment columns.
TEST_P(GoldenTest, SingleSubjectKindsForEverySubject) {
  ASSERT_FALSE(Exam().subjects().empty());
  for (const std::string& subject : Exam().subjects())
    for (const char* kind : {"gbkm", "gxkm", "jskm"})
      Exam().Check(std::string(kind) + "_" + subject + ".json", {kind, "--subject", subject});
}

// The dialog-driven kinds, each with the defaults and with a choice that
// takes another branch of the dialog (subject vs. totals, rank vs. score
// bounds, a custom condition, a second-stage ranking).
TEST_P(GoldenTest, DialogKindsWithRepresentativeChoices) {
  const GoldenExam& e = Exam();
  const std::string first = e.subjects().at(0), second = e.subjects().at(1);
  e.Check("qkjhtj.json", {"qkjhtj"});
  e.Check("qkjhtj_subject_class.json",
          {"qkjhtj", "--category", "单科", "--subject", first, "--range", "各班"});
  e.Check("qkjhtj_main_rank_school.json",
          {"qkjhtj", "--category", "主科", "--range", "各校", "--by", "名", "--n", "10,20,50,100"});
  for (const char* preset : {"1", "3", "5", "8"})
    e.Check(std::string("mingdan_preset") + preset + ".json", {"mingdan", "--preset", preset});
  e.Check("mingdan_cond.json",
          {"mingdan", "--cond", first + ">=80", "--or", second + "<60", "--show", "主科"});
  e.Check("zdyzf.json", {"zdyzf"});
  e.Check("zdyzf_weighted_ranked.json", {"zdyzf", "--total", first + ":50," + second, "--after",
                                         second, "--name", "小计", "--rank", "小计:班:2"});
  e.Check("zdypm1.json", {"zdypm1", "--rank", "总分:段班", "--rank", first + ":校:2"});
  e.Check("hxfm.json", {"hxfm", "--date", "2024-07-01"});
  e.Check("zxfm.json", {"zxfm", "--date", "2024-07-01"});
}

// The analysis reports, with their defaults and with the choices that take
// the other branches (a subject rather than a total, one school, by rank).
TEST_P(GoldenTest, AnalysisKinds) {
  const GoldenExam& e = Exam();
  const std::string first = e.subjects().at(0);
  for (const char* kind : {"yfyd", "mcfb", "bzf", "sjzl", "djpj", "djtj"})
    e.Check(std::string(kind) + ".json", {kind});
  e.Check("yfyd_subject_school.json",
          {"yfyd", "--subject", first, "--step", "5", "--school", "第一中学"});
  e.Check("mcfb_subject.json", {"mcfb", "--by", first, "--n", "10,50"});
  e.Check("ljs_subject.json", {"ljs", "--subject", first, "--line", "优秀", "--band", "10"});
  e.Check("ljs_rank.json", {"ljs", "--rank", "100", "--band", "20"});
  e.Check("cjl_subject.json", {"cjl", "--subject", first});
  e.Check("cjl.json", {"cjl"});
  e.Check("djpj_ratio.json", {"djpj", "--ratio", "10,40,80"});
}

// The filter works on another report's rows: a school of the listing, and
// one class of a per-class report.
TEST_P(GoldenTest, FilterOfAListing) {
  const GoldenExam& e = Exam();
  e.Check("shaixwan_school.json", {"shaixwan", "--from", "zfdmbm", "--school", "第一中学"});
  e.Check("shaixwan_class.json", {"shaixwan", "--from", "gbkm", "--subject", e.subjects().at(0),
                                  "--school", "第一中学", "--class", "高一(2)班"});
}

// The other formats carry the same grids through other writers. The whole
// book and a long listing in HTML only for the sample: they repeat the JSON
// files' contents, so once is enough.
TEST_P(GoldenTest, OtherFormats) {
  const GoldenExam& e = Exam();
  e.Check("gbkm.xlsx", {"gbkm", "--subject", e.subjects().at(0)});
  e.Check("cjbxx.csv", {"cjbxx"});
  e.Check("gdktj.html", {"gdktj"});
  if (std::string(GetParam()) != "sample") return;
  e.Check("zfdmbm.html", {"zfdmbm"});
  e.Check("all.xlsx", {"all"});
}

// report all writes its sheets through our streamed writer, the analysis
// sheets written ahead on their own threads: every sheet it makes, written
// by libxlsxwriter instead, must give the same members (all but the time in
// docProps/core.xml, which XlsxAsText leaves out).
TEST_P(GoldenTest, StreamedBookHasTheLibrarysMembers) {
  const GoldenExam& e = Exam();
  data::AppState state;
  data::SetDatabasePath(state, e.db());
  data::LoadSubjectLines(state);
  data::LoadStartupSettings(state);
  const fs::path library_path = e.dir() / "library.xlsx", streamed_path = e.dir() / "streamed.xlsx";
  grid::ExcelBookWriter library(library_path.string());
  grid::ExcelBookWriter streamed(streamed_path.string(), grid::SheetWriting::kStreamed);
  int sheets = 0;
  for (const reports::ReportKind& kind : reports::ReportCatalog()) {
    if (!kind.in_report_all) continue;
    const std::vector<std::string> subjects =
        reports::PerSubjectInReportAll(kind) ? e.subjects() : std::vector<std::string>{""};
    for (const std::string& subject : subjects) {
      data::AppState copy = state;
      common::NullProgress quiet;
      reports::ReportRun run{copy, quiet, output::Today()};
      reports::ReportChoices choices;
      if (!subject.empty()) choices.Add("subject", subject);
      output::Document doc;
      reports::MakeReport(kind, doc, run, choices);
      grid::NamedGrid sheet{std::string(kind.control_name) + subject, &doc.grid};
      ASSERT_TRUE(library.Add(sheet).ok()) << kind.control_name;
      // report all writes the analysis sheets ahead, the others at once.
      std::optional<grid::PreparedSheet> ahead;
      if (reports::ReadsOnlyTheExam(kind)) sheet.prepared = &ahead.emplace(doc.grid);
      ASSERT_TRUE(streamed.Add(sheet).ok()) << kind.control_name;
      ++sheets;
    }
  }
  ASSERT_TRUE(library.Close().ok());
  ASSERT_TRUE(streamed.Close().ok());
  EXPECT_GT(sheets, 30);
  const std::string expected = XlsxAsText(library_path);
  EXPECT_NE(expected.find("xl/worksheets/sheet" + std::to_string(sheets) + ".xml"),
            std::string::npos);
  EXPECT_TRUE(XlsxAsText(streamed_path) == expected);
}

INSTANTIATE_TEST_SUITE_P(Exams, GoldenTest, ::testing::Values("sample", "exam2000"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
