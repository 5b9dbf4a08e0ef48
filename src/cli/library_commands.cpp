// exams: the exam library from the command line (list, use, rename, delete,
// export).
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "cli/stderr_progress.h"
#include "data/exam_library.h"
#include "data/score_database.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "用法: scorestat-cli exams                      "
    "列出考试库中的考试（编号、名称、导入时间、学生数）\n"
    "      scorestat-cli exams use 编号             切换当前考试\n"
    "      scorestat-cli exams rename 编号 名称     给考试改名\n"
    "      scorestat-cli exams delete 编号 [--yes]  删除考试（先询问，--yes 不询问）\n"
    "      scorestat-cli exams export 编号 文件.xlsx  导出为可再导入的工作簿\n";

// The id word of a command; 0 when it is not a positive whole number.
int ParseId(const std::string& word) {
  if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return std::stoi(word);
}

void List(Context& ctx) {
  const std::string& path = ctx.state.database_path;
  const int current = data::CurrentExamId(path);
  ctx.out << "编号\t名称\t导入时间\t学生数\t当前\n";
  for (const data::ExamInfo& e : data::ListExams(path)) {
    ctx.out << e.id << "\t" << e.name << "\t" << e.imported_at << "\t" << e.students << "\t"
            << (e.id == current ? "是" : "") << "\n";
  }
}

bool Confirmed(Context& ctx, const data::ExamInfo& exam) {
  ctx.err << "确定要删除考试 " << exam.id << "“" << exam.name << "”吗？删除后不能恢复。(y/n) ";
  std::string answer;
  if (!std::getline(std::cin, answer)) answer.clear();
  return answer == "y" || answer == "Y" || answer == "是";
}

int Delete(Context& ctx, int id) {
  const data::ExamInfo exam = data::FindExam(ctx.state.database_path, id);
  const bool yes = ctx.args.size() > 2 && ctx.args[2] == "--yes";
  if (!yes && !Confirmed(ctx, exam)) {
    ctx.err << "没有删除。\n";
    return 1;
  }
  data::DeleteExam(ctx.state.database_path, id);
  ctx.err << "已删除考试 " << id << "“" << exam.name << "”。\n";
  return 0;
}

}  // namespace

int Exams(Context& ctx) {
  const std::string& path = ctx.state.database_path;
  data::EnsureCurrentExamListed(ctx.state);
  if (ctx.args.empty()) {
    List(ctx);
    return 0;
  }
  const std::string& verb = ctx.args[0];
  const int id = ctx.args.size() > 1 ? ParseId(ctx.args[1]) : 0;
  if (verb == "use" && ctx.args.size() == 2 && id > 0) {
    StderrProgress progress(ctx.err);
    data::SwitchExam(ctx.state, id, progress);
    progress.Finish();
    ctx.err << "当前考试: " << id << "“" << data::FindExam(path, id).name << "”\n";
    return 0;
  }
  if (verb == "rename" && ctx.args.size() == 3 && id > 0) {
    data::RenameExam(path, id, ctx.args[2]);
    ctx.err << "考试 " << id << " 改名为“" << data::FindExam(path, id).name << "”\n";
    return 0;
  }
  if (verb == "delete" && (ctx.args.size() == 2 || ctx.args.size() == 3) && id > 0)
    return Delete(ctx, id);
  if (verb == "export" && ctx.args.size() == 3 && id > 0) {
    data::ExportExam(path, id, ctx.args[2]);
    ctx.err << "考试 " << id << " 已导出到 " << ctx.args[2] << "\n";
    return 0;
  }
  ctx.err << kUsage;
  return 2;
}

}  // namespace cli
