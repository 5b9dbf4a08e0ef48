#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/document_writer.h"
#include "common/program_files.h"
#include "data/score_database.h"

namespace {

struct Command {
  const char* name;
  int (*run)(cli::Context&);
  const char* usage;
  // report and chart list their kinds on --help; the others print their usage line.
  bool own_help = false;
};

int CompleteWords(cli::Context& ctx);

const Command kCommands[] = {
    {"repair", cli::Repair,
     "repair                     重建系统表 xtsztable、bsxtable（恢复默认值）"},
    {"sql", cli::Sql,
     "sql \"语句\"                 执行一条 SQL 语句；SELECT 输出制表符分隔的结果"},
    {"settings", cli::Settings,
     "settings [名称=值 ...]     显示或修改保存的设置（平均分=40 单科段=10 主标题=... "
     "显示日期=1）"},
    {"import", cli::Import,
     "import 工作簿.xls|.xlsx|.ods [...]   导入成绩、任课教师和三线表，生成统计表；"
     "几个工作簿（每校一个）合为一次考试"},
    {"generate", cli::Generate,
     "generate 文件.xlsx [--students N] [--schools S] [--classes C] [--seed K]   "
     "生成模拟考试工作簿"},
    {"exams", cli::Exams,
     "exams [use|rename|delete|export 编号 ...]   考试库：列出、切换、改名、删除、导出考试"},
    {"report", cli::Report, "report 报表 [选项] -o 文件   生成报表（见 report --help）", true},
    {"chart", cli::Chart,
     "chart 图表 [选项] -o 文件.png|.svg|.pdf [--size 1600x1000]   画图表（见 chart --help）",
     true},
    {"pack", cli::Pack,
     "pack [--mask] [--no-rank] [--trend|--no-trend] -o 文件夹   按班输出：每班一个文件夹"
     "（学校/班级），内有成绩条、家长告知书、单科统计和学生名单；--trend/--no-trend 同 report "
     "grbg"},
    // For bash completion only, so not in the help.
    {"complete", CompleteWords, nullptr},
};

int CompleteWords(cli::Context& ctx) {
  std::vector<std::string> commands;
  for (const Command& c : kCommands)
    if (c.usage != nullptr) commands.emplace_back(c.name);
  return cli::Complete(ctx, commands);
}

void PrintHelp(std::ostream& out) {
  out << "成绩统计命令行工具 scorestat-cli\n\n"
         "用法: scorestat-cli [--db 数据库文件] 命令 [参数...]\n\n命令:\n";
  for (const Command& c : kCommands)
    if (c.usage != nullptr) out << "  " << c.usage << "\n";
  out << "\n选项:\n"
         "  --db PATH   使用指定的数据库文件（默认："
      << data::DefaultDatabasePath()
      << "）\n"
         "  --version   显示版本\n"
         "  --help      显示本帮助\n";
}

#if defined(SCORESTAT_PAINTER)
// Whether `command` with `args` paints: a PDF, a chart, the pack's PDFs,
// the charts of `report all --charts`.
bool Paints(const std::string& command, const std::vector<std::string>& args) {
  if (command == "chart" || command == "pack") return true;
  if (command != "report" || args.empty()) return false;
  reports::ReportChoices choices;
  std::string out_path;
  std::ostringstream ignored;
  if (!cli::ParseChoices(args, choices, out_path, ignored)) return false;
  const auto& given = choices.values();
  return cli::FileExtension(out_path) == "pdf" ||
         (args[0] == "all" && std::any_of(given.begin(), given.end(),
                                          [](const auto& v) { return v.first == "charts"; }));
}

// Runs the painting build of this tool in this process's place, on the
// same database and with the same command: beside this program in the build
// tree, in PREFIX/lib/scorestat once installed. Returns only when it cannot
// be started.
int RunPainter(const std::string& database, char** command) {
  const std::filesystem::path folder = common::ProgramFolder();
  std::filesystem::path painter = folder / SCORESTAT_PAINTER;
  std::error_code ec;
  if (!std::filesystem::exists(painter, ec))
    painter = folder.parent_path() / "lib" / "scorestat" / SCORESTAT_PAINTER;
  std::vector<std::string> words = {painter.string(), "--db", database};
  for (; *command != nullptr; ++command) words.emplace_back(*command);
  std::vector<char*> args;
  args.reserve(words.size() + 1);
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  std::cerr << "错误: 无法启动 " << painter.string()
            << "（PDF、图表和按班输出由它绘制）: " << std::strerror(errno) << "\n";
  return 1;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::string db_override;
  int i = 1;
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db_override = argv[++i];
    } else if (std::strncmp(argv[i], "--db=", 5) == 0) {
      db_override = argv[i] + 5;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp(std::cout);
      return 0;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "scorestat-cli " SCORESTAT_VERSION "\n";
      return 0;
    } else {
      break;
    }
  }
  if (i >= argc) {
    PrintHelp(std::cerr);
    return 2;
  }
  const std::string name = argv[i++];
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    const bool wants_help =
        i < argc && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0);
    if (wants_help && !c.own_help && c.usage != nullptr) {
      std::cout << "用法: scorestat-cli " << c.usage << "\n";
      return 0;
    }
    cli::Context ctx{{}, {argv + i, argv + argc}, std::cout, std::cerr};
    data::SetDatabasePath(ctx.state, db_override);
#if defined(SCORESTAT_PAINTER)
    // This build links no Qt, so that a report starts in milliseconds; what
    // paints is done by the build that does.
    if (Paints(name, ctx.args)) return RunPainter(ctx.state.database_path, argv + i - 1);
#endif
    try {
      return c.run(ctx);
    } catch (const std::exception& e) {
      std::cerr << "错误: " << e.what() << "\n";
      return 1;
    }
  }
  std::cerr << "未知的命令: " << name << "\n\n";
  PrintHelp(std::cerr);
  return 2;
}
