// The command-line tool as a user runs it: the program itself, its output
// and its exit status.
#include <gtest/gtest.h>

#include "../scratch_dir.h"
#include "../shell_run.h"
#include "data/workbook.h"
#include "reports/report_catalog.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using CliRun = test_support::CommandRun;  // stdout and stderr together
using test_support::ShellQuote;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { db_ = (dir_ / "x.db").string(); }

  CliRun Cli(const std::vector<std::string>& args) {
    std::string cmd =
        std::string("QT_QPA_PLATFORM=offscreen ") + SCORESTAT_CLI + " --db " + ShellQuote(db_);
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    return test_support::RunCommand(cmd + " 2>&1");
  }

  std::string Sample() const { return std::string(SCORESTAT_SOURCE_DIR) + "/examples/sample.xls"; }

  test_support::ScratchDir scratch_{"scorestat_cli"};
  const fs::path dir_ = scratch_.path();
  std::string db_;
};

TEST_F(CliTest, RepairSqlAndSettings) {
  ASSERT_EQ(Cli({"repair"}).status, 0);
  CliRun rows = Cli({"sql", "select * from xtsztable"});
  EXPECT_EQ(rows.status, 0);
  EXPECT_EQ(rows.out,
            "id\t项目\t数值\t类别\n1\t平均分\t40\t1\n2\t优秀\t20\t1\n3\t优良\t20\t1\n"
            "4\t及格\t20\t1\n5\t单科段\t20\t2\n6\t总分段\t20\t2\n");
  CliRun set = Cli({"settings", "单科段=10", "主标题=期末'考试"});
  EXPECT_EQ(set.status, 0);
  EXPECT_NE(set.out.find("单科段=10\n"), std::string::npos);
  EXPECT_NE(Cli({"settings"}).out.find("主标题=期末'考试\n"), std::string::npos);
  EXPECT_EQ(Cli({"settings", "不存在=1"}).status, 2);
}

TEST_F(CliTest, ErrorsAreMessagesAndExitStatuses) {
  CliRun bad = Cli({"sql", "selec x from t"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("SQL 语句有误"), std::string::npos) << bad.out;
  EXPECT_EQ(Cli({"nosuch"}).status, 2);
  CliRun missing = Cli({"import", (dir_ / "none.xls").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(Cli({"report", "gbkm", "语文", "-o", (dir_ / "x.doc").string()}).status, 1);
  // The whole book is a workbook only (its sheets are pinned by the golden all.xlsx).
  EXPECT_EQ(Cli({"report", "all", "-o", (dir_ / "book.pdf").string()}).status, 2);
}

// The formats' contents are pinned by the golden files (which write json,
// xlsx, html and csv through the tool); here the PDF writer, which a build
// without the Qt parts lacks, and an unknown subject.
TEST_F(CliTest, ImportThenAReportAsPdfOrARefusal) {
  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
  EXPECT_EQ(Cli({"sql", "select count(*) as n from 统计表"}).out, "n\n1500\n");
#ifdef SCORESTAT_HAVE_RENDER
  const fs::path pdf = dir_ / "gbkm.pdf";
  const CliRun r = Cli({"report", "gbkm", "--subject", "语文", "-o", pdf.string()});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_GT(fs::exists(pdf) ? fs::file_size(pdf) : 0, 500u);
#endif
  CliRun unknown = Cli({"report", "gbkm", "--subject", "音乐", "-o", (dir_ / "m.csv").string()});
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.out.find("音乐"), std::string::npos) << unknown.out;
}

// A report process starts in milliseconds only without Qt's libraries,
// whose loading took longer than the report: the tool names none of them,
// and what paints (the PDF above, charts, the pack) runs as
// scorestat-cli-paint in its place.
TEST_F(CliTest, TheToolLinksNoQt) {
  std::ifstream in(SCORESTAT_CLI, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 0u);
  EXPECT_EQ(bytes.find("libQt6"), std::string::npos);
}

// A county office imports one workbook per school as one exam, and may ask
// the class statistics to scale the lines by the full mark, as 统计表 does.
TEST_F(CliTest, SeveralWorkbooksOneExamAndLinesScaledByFullMark) {
  const std::string habits = std::string(SCORESTAT_SOURCE_DIR) + "/tests/fixtures/habits/";
  CliRun r = Cli({"import", habits + "school_a.xlsx", habits + "school_b.xls"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("合并了 2 个文件"), std::string::npos) << r.out;
  EXPECT_EQ(Cli({"sql", "select count(*) as n from 统计表"}).out, "n\n6\n");
  // 语文 is out of 150 with 优秀 at 85; the six scores are 120, 100, 127.5,
  // 80, 150 and 90 (sum 667.5). Unscaled, 85 is the line: five are 优秀.
  // Scaled, the line is 150 × 85 / 100 = 127.5: two are.
  const auto excellent = [&] {
    const fs::path out = dir_ / "gxkm.csv";
    EXPECT_EQ(Cli({"report", "gxkm", "--subject", "语文", "-o", out.string()}).status, 0);
    std::ifstream csv(out);
    std::string header, total;
    std::getline(csv, header);
    std::getline(csv, total);
    return total;
  };
  const std::string unscaled = excellent();
  ASSERT_EQ(Cli({"settings", "三线折算=1"}).status, 0);
  const std::string scaled = excellent();
  EXPECT_EQ(unscaled.rfind("合计,6,667.5,111.25,5,", 0), 0u) << unscaled;
  EXPECT_EQ(scaled.rfind("合计,6,667.5,111.25,2,", 0), 0u) << scaled;
  EXPECT_NE(Cli({"settings"}).out.find("三线折算"), std::string::npos);
}

// `report --help` and `report` know exactly the kinds of the report catalog:
// the CLI keeps no list of its own. A misspelt option is refused rather than
// silently ignored.
TEST_F(CliTest, ReportKindsAreTheCatalogs) {
  CliRun help = Cli({"report", "--help"});
  ASSERT_EQ(help.status, 0);
  std::set<std::string> listed;
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("  ", 0) == 0) listed.insert(line.substr(2, line.find_first_of(" :", 2) - 2));
  std::set<std::string> catalog = {"all"};
  for (const reports::ReportKind& kind : reports::ReportCatalog())
    catalog.insert(kind.control_name);
  EXPECT_EQ(listed, catalog);
  const std::string out = (dir_ / "x.json").string();
  CliRun typo = Cli({"report", "qkjhtj", "--rang", "各班", "-o", out});
  EXPECT_EQ(typo.status, 2);
  EXPECT_NE(typo.out.find("--rang"), std::string::npos) << typo.out;
}

// A custom total right of 数学, then ranked by class in the same listing.
TEST_F(CliTest, CustomTotalRankedInTheSameListing) {
  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
  const std::string csv = (dir_ / "total.csv").string();
  CliRun r = Cli({"report", "zdyzf", "--total", "语文:100,数学:50", "--after", "数学", "--name",
                  "总分", "--rank", "总分:班:2", "-o", csv});
  ASSERT_EQ(r.status, 0) << r.out;
  std::ifstream in(csv);
  std::string header, first;
  std::getline(in, header);
  std::getline(in, first);
  EXPECT_NE(header.find("语文,数学,总分,总分班名,英语"), std::string::npos) << header;
  // 53 + 57 × 50 % for the first student of the sample.
  EXPECT_NE(first.find(",53,57,81.5,"), std::string::npos) << first;
}

// Charts as a user asks for them: each format by its ending, the picture's
// size, and the refusals; `report all --charts` adds two picture sheets per
// subject after the reports.
TEST_F(CliTest, ChartsByTheirWrittenSyntax) {
  const CliRun help = Cli({"chart", "--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* kind : {"fsd", "xxt", "bjzt", "yfydt", "qst", "--by-school", "--measure"})
    EXPECT_NE(help.out.find(kind), std::string::npos) << kind;
#ifndef SCORESTAT_HAVE_RENDER
  GTEST_SKIP() << "built without the renderer, which draws the charts";
#endif
  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
  const std::string png = (dir_ / "c.png").string();
  const CliRun made = Cli({"chart", "xxt", "--subject", "语文", "--size", "640x400", "-o", png});
  ASSERT_EQ(made.status, 0) << made.out;
  // The PNG header's width and height, big-endian at bytes 16 and 20.
  std::ifstream in(png, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(header[18] * 256 + header[19], 640);
  EXPECT_EQ(header[22] * 256 + header[23], 400);
  EXPECT_EQ(Cli({"chart", "bjzt", "--measure", "及格率", "--subject", "数学", "-o",
                 (dir_ / "c.svg").string()})
                .status,
            0);
  EXPECT_EQ(Cli({"chart", "fsd", "-o", (dir_ / "c.pdf").string()}).status, 0);
  EXPECT_TRUE(fs::exists(dir_ / "c.svg") && fs::exists(dir_ / "c.pdf"));

  struct Refusal {
    std::vector<std::string> args;
    int status;
    const char* says;
  } refusals[] = {
      {{"chart", "fsd", "--size", "big", "-o", png}, 2, "--size"},
      {{"chart", "fsd", "--rank", "5", "-o", png}, 2, "没有选项 --rank"},
      {{"chart", "pie", "-o", png}, 2, "没有这种图表"},
      {{"chart", "fsd", "-o", (dir_ / "c.gif").string()}, 1, ".png、.svg 或 .pdf"},
      {{"chart", "bjzt", "--measure", "优秀率", "-o", png}, 1, "只能比较平均分"},
  };
  for (const Refusal& r : refusals) {
    const CliRun run = Cli(r.args);
    EXPECT_EQ(run.status, r.status) << run.out;
    EXPECT_NE(run.out.find(r.says), std::string::npos) << run.out;
  }

  const std::string book = (dir_ / "book.xlsx").string();
  const CliRun all = Cli({"report", "all", "--charts", "-o", book});
  ASSERT_EQ(all.status, 0) << all.out;
  const data::Workbook back = data::ReadWorkbook(book);
  // 4 tables, 3 per-subject reports for 9 subjects, 5 single reports, 临界生
  // per subject and 7 single analysis reports, then two pictures per subject.
  EXPECT_EQ(back.sheets().size(), 4u + 3 * 9 + 5 + 9 + 7 + 2 * 9);
  EXPECT_NE(back.Find("语文分数段分布图"), nullptr);
  EXPECT_NE(back.Find("地理箱线图"), nullptr);
}

// What goes home: slips and letters to PDF, one page per letter; and a list
// posted beyond the class with masked names and no ranks.
TEST_F(CliTest, SlipsLettersAndPrivateLists) {
  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
#ifdef SCORESTAT_HAVE_RENDER
  // The first class: 学校, 班级 and its number of students.
  std::istringstream groups(
      Cli({"sql", "select 学校,班级,count(*) from 统计表 group by 学校,班级"}).out);
  std::string school, klass, count;
  groups.ignore(1000, '\n');
  std::getline(groups, school, '\t');
  std::getline(groups, klass, '\t');
  std::getline(groups, count, '\n');
  const int students = std::stoi(count);
  const std::string slips = (dir_ / "slips.pdf").string();
  CliRun r = Cli({"report", "cjt", "--average", "--level", "-o", slips});
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string letters = (dir_ / "letters.pdf").string();
  // --no-trend is --trend 否; one exam has no trend either way.
  r = Cli({"report", "grbg", "--class", school + "/" + klass, "--no-trend", "-o", letters});
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string pages =
      test_support::RunCommand("pdfinfo " + ShellQuote(letters) + " | grep Pages").out;
  ASSERT_GT(pages.size(), 6u);
  EXPECT_EQ(std::stoi(pages.substr(6)), students) << "a page per student";
#endif
  const std::string csv = (dir_ / "list.csv").string();
  ASSERT_EQ(Cli({"report", "tjtable", "--mask", "--no-rank", "-o", csv}).status, 0);
  std::ifstream in(csv);
  std::string heading;
  std::getline(in, heading);
  EXPECT_EQ(heading.find("排名"), std::string::npos) << heading;
  int masked = 0, rows = 0;
  for (std::string row; std::getline(in, row);) {
    if (row.find_first_not_of(",\r") == std::string::npos) continue;
    ++rows;
    masked += row.find('*') != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(masked, rows);
  EXPECT_EQ(rows, 1500);
}

// The exam library as the user types it: every import listed, the current
// one marked; a switch changes what the reports read; the current exam is
// never deleted and nothing is deleted without an answer.
TEST_F(CliTest, ExamsListSwitchRenameDeleteExport) {
  const std::string first = (dir_ / "期中.xlsx").string();
  ASSERT_EQ(Cli({"generate", first, "--students", "30", "--seed", "1"}).status, 0);
  ASSERT_EQ(Cli({"import", first}).status, 0);
  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
  CliRun list = Cli({"exams"});
  EXPECT_EQ(list.status, 0);
  // Every column but the date (the third) is exact.
  std::istringstream lines(list.out);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) rows.back().push_back(cell);
    if (line.back() == '\t') rows.back().push_back("");
    if (rows.size() > 1 && rows.back().size() == 5) rows.back()[2] = "日期";
  }
  using Row = std::vector<std::string>;
  ASSERT_EQ(rows.size(), 3u) << list.out;
  EXPECT_EQ(rows[0], (Row{"编号", "名称", "导入时间", "学生数", "当前"}));
  EXPECT_EQ(rows[1], (Row{"1", "期中", "日期", "30", ""}));
  EXPECT_EQ(rows[2], (Row{"2", "sample", "日期", "1500", "是"}));

  EXPECT_EQ(Cli({"exams", "use", "1"}).status, 0);
  EXPECT_EQ(Cli({"sql", "select count(*) as n from 统计表"}).out, "n\n30\n");
  EXPECT_EQ(Cli({"exams", "delete", "1", "--yes"}).status, 1);  // the current exam
  EXPECT_EQ(Cli({"exams", "rename", "2", "期末考试"}).status, 0);
  EXPECT_NE(Cli({"exams"}).out.find("2\t期末考试\t"), std::string::npos);
  EXPECT_EQ(Cli({"exams", "export", "2", (dir_ / "期末.xlsx").string()}).status, 0);
  EXPECT_TRUE(fs::exists(dir_ / "期末.xlsx"));
  EXPECT_EQ(Cli({"exams", "use", "9"}).status, 1);
  EXPECT_EQ(Cli({"exams", "switch", "2"}).status, 2);  // not a verb: the usage

  // No answer on standard input is no.
  const std::string cmd = std::string(SCORESTAT_CLI) + " --db " + ShellQuote(db_) +
                          " exams delete 2 < /dev/null > /dev/null 2>&1";
  EXPECT_NE(std::system(cmd.c_str()), 0);
  EXPECT_NE(Cli({"exams"}).out.find("2\t期末考试\t"), std::string::npos);
  EXPECT_EQ(Cli({"exams", "delete", "2", "--yes"}).status, 0);
  EXPECT_EQ(Cli({"exams"}).out.find("期末考试"), std::string::npos);
}

// `COMMAND --help` answers with the command's usage and does nothing: before,
// `generate --help` wrote a workbook named "--help" and `import --help`
// tried to read one.
TEST_F(CliTest, EveryCommandAnswersHelpWithoutActing) {
  for (const char* command : {"repair", "sql", "settings", "import", "generate", "exams", "pack"}) {
    const CliRun run = Cli({command, "--help"});
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.out.rfind(std::string("用法: scorestat-cli ") + command, 0), 0u) << run.out;
  }
  EXPECT_FALSE(fs::exists("--help"));
  EXPECT_FALSE(fs::exists(db_));
}

// The words bash completion offers come from the tool itself, so that a new
// command, kind or subject is offered without touching the script.
TEST_F(CliTest, CompletionWordsAndVersion) {
  // A Tab pressed before any import must not leave a database behind.
  EXPECT_EQ(Cli({"complete", "subjects"}).out, "");
  EXPECT_FALSE(fs::exists(db_));

  const std::string commands = Cli({"complete", "commands"}).out;
  EXPECT_NE(commands.find("import\n"), std::string::npos);
  EXPECT_NE(commands.find("report\n"), std::string::npos);
  // Completion's own command is offered to nobody, nor shown in the help.
  EXPECT_EQ(commands.find("complete"), std::string::npos);
  EXPECT_EQ(Cli({"--help"}).out.find("complete"), std::string::npos);

  const std::string kinds = Cli({"complete", "kinds"}).out;
  for (const char* kind : {"gbkm\n", "qkjhtj\n", "all\n"})
    EXPECT_NE(kinds.find(kind), std::string::npos) << kind;
  const std::string options = Cli({"complete", "options", "qkjhtj"}).out;
  EXPECT_NE(options.find("--range\n"), std::string::npos) << options;
  EXPECT_EQ(Cli({"complete", "options", "nosuch"}).out, "-o\n");
  // A yes/no option completes in both spellings.
  EXPECT_EQ(Cli({"complete", "options", "grbg"}).out,
            "-o\n--mask\n--no-rank\n--class\n--trend\n--no-trend\n");
  // `chart` has kinds of its own, not the reports' and not `all`; its
  // options are the chart's and the picture's size, not --mask.
  const std::string chart_kinds = Cli({"complete", "kinds", "chart"}).out;
  EXPECT_NE(chart_kinds.find("xxt\n"), std::string::npos) << chart_kinds;
  EXPECT_NE(chart_kinds.find("qst\n"), std::string::npos) << chart_kinds;
  EXPECT_EQ(chart_kinds.find("gbkm\n"), std::string::npos);
  EXPECT_EQ(chart_kinds.find("all\n"), std::string::npos);
  EXPECT_EQ(Cli({"complete", "options", "bjzt"}).out, "-o\n--size\n--subject\n--measure\n");

  ASSERT_EQ(Cli({"import", Sample()}).status, 0);
  const std::string subjects = Cli({"complete", "subjects"}).out;
  // The sample's nine subjects in the order of its 三线表.
  EXPECT_EQ(subjects.rfind("语文\n数学\n英语\n", 0), 0u) << subjects;
  EXPECT_EQ(std::count(subjects.begin(), subjects.end(), '\n'), 9);

  const CliRun version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("scorestat-cli ", 0), 0u) << version.out;
}

}  // namespace
