// report: building one report exactly as its menu command does and writing
// it to a file whose ending picks the format.
#include <algorithm>
#include <iostream>

#include "cli/document_writer.h"
#include "cli/report_kinds.h"
#include "cli/stderr_progress.h"

namespace cli {

std::string ReportArgs::Get(const std::string& key, const std::string& fallback) const {
  auto it = options.find(key);
  return it == options.end() ? fallback : it->second;
}

std::vector<std::string> ReportArgs::All(const std::string& key) const {
  std::vector<std::string> out;
  for (auto [it, end] = options.equal_range(key); it != end; ++it) out.push_back(it->second);
  return out;
}

namespace {

std::vector<ReportKind> AllKinds() {
  std::vector<ReportKind> kinds = SqlReportKinds();
  for (ReportKind& k : GridReportKinds()) kinds.push_back(std::move(k));
  return kinds;
}

void PrintReportHelp(std::ostream& out) {
  out << "用法: scorestat-cli [--db 数据库] report 报表 [选项] -o 文件\n"
         "文件的扩展名决定格式: .json（表格文件） .xlsx .html .csv .pdf\n\n报表:\n";
  for (const ReportKind& k : AllKinds()) out << "  " << k.usage << "\n";
  out << "  all -o 文件.xlsx   本程序能生成的全部统计报表（每个科目一张），每张一个工作表\n";
}

bool ParseArgs(const std::vector<std::string>& words, ReportArgs& args, std::string& out_path,
               std::ostream& err) {
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "-o" || w == "--output") {
      if (i + 1 >= words.size()) {
        err << "-o 后面要写输出文件名。\n";
        return false;
      }
      out_path = words[++i];
    } else if (w.rfind("--", 0) == 0 && w.size() > 2) {
      const size_t eq = w.find('=');
      if (eq != std::string::npos) {
        args.options.emplace(w.substr(2, eq - 2), w.substr(eq + 1));
      } else if (i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0 && words[i + 1] != "-o") {
        args.options.emplace(w.substr(2), words[++i]);
      } else {
        args.options.emplace(w.substr(2), "");
      }
    } else {
      args.positional.push_back(w);
    }
  }
  return true;
}

}  // namespace

int Report(Context& ctx) {
  if (ctx.args.empty() || ctx.args[0] == "--help" || ctx.args[0] == "-h") {
    PrintReportHelp(ctx.args.empty() ? ctx.err : ctx.out);
    return ctx.args.empty() ? 2 : 0;
  }
  ReportArgs args;
  std::string out_path;
  if (!ParseArgs(ctx.args, args, out_path, ctx.err)) return 2;
  if (out_path.empty()) {
    ctx.err << "请用 -o 指定输出文件。\n";
    return 2;
  }
  const std::string& name = ctx.args[0];
  if (name == "all") return WriteAllReports(ctx, SqlReportKinds(), out_path);
  std::vector<ReportKind> kinds = AllKinds();
  auto kind =
      std::find_if(kinds.begin(), kinds.end(), [&](const ReportKind& k) { return k.name == name; });
  if (kind == kinds.end()) {
    ctx.err << "没有这种报表: " << name << "\n\n";
    PrintReportHelp(ctx.err);
    return 2;
  }
  output::Document doc = kind->build(ctx, args);
  std::string error;
  if (!WriteDocument(doc, out_path, error)) {
    ctx.err << error << "\n";
    return 1;
  }
  ctx.err << doc.title << " → " << out_path << "\n";
  return 0;
}

}  // namespace cli
