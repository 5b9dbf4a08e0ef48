// import and generate: bringing an exam into the database.
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#include "cli/stderr_progress.h"
#include "data/exam_generator.h"
#include "data/import.h"
#include "data/xlsx_writer.h"

namespace cli {

int Import(Context& ctx) {
  if (ctx.args.empty()) {
    ctx.err << "用法: scorestat-cli import 工作簿.xls|.xlsx|.ods [更多工作簿 ...]\n";
    return 2;
  }
  StderrProgress progress(ctx.err);
  // Several workbooks (one per school) are imported as one exam.
  data::ImportResult result = data::ImportExam(ctx.state, ctx.args, progress);
  progress.Finish();
  ctx.err << result.caption << ": " << result.message << "\n";
  return result.ok ? 0 : 1;
}

int Generate(Context& ctx) {
  if (ctx.args.empty()) {
    ctx.err << "用法: scorestat-cli generate 文件.xlsx [--students N] [--schools S] "
               "[--classes C] [--seed K]\n";
    return 2;
  }
  data::ExamOptions options;
  for (size_t i = 1; i + 1 < ctx.args.size(); i += 2) {
    const std::string& key = ctx.args[i];
    const long long value = std::atoll(ctx.args[i + 1].c_str());
    if (value <= 0) {
      ctx.err << key << " 后面应是正整数。\n";
      return 2;
    }
    if (key == "--students") {
      options.students = static_cast<size_t>(value);
    } else if (key == "--schools") {
      options.schools = static_cast<int>(value);
    } else if (key == "--classes") {
      options.classes_per_school = static_cast<int>(value);
    } else if (key == "--seed") {
      options.seed = static_cast<uint64_t>(value);
    } else {
      ctx.err << "未知的选项: " << key << "\n";
      return 2;
    }
  }
  data::WriteWorkbookXlsx(ctx.args[0], data::GenerateExam(options));
  ctx.err << "已生成 " << options.students << " 名学生的模拟考试: " << ctx.args[0] << "\n";
  return 0;
}

}  // namespace cli
