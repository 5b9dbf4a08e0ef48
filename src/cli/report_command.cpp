// report: building one report exactly as its menu command does and writing
// it to a file whose ending picks the format. The kinds, their options and
// what `report all` makes come from the report catalog.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/cli.h"
#include "cli/document_writer.h"
#include "cli/stderr_progress.h"
#include "data/score_database.h"
#include "reports/report_catalog.h"

namespace cli {
namespace {

std::string Usage(const reports::ReportKind& kind) {
  std::string line = kind.control_name;
  if (kind.input == reports::KindInput::kSubject) line += " 科目";
  for (const reports::ReportOption& o : kind.options) {
    if (kind.input == reports::KindInput::kSubject && std::string(o.name) == "subject") continue;
    if (o.negatable) {
      line += std::string(" [--") + o.name + "|--no-" + o.name + "]";
      continue;
    }
    const std::string fallback =
        *o.fallback != '\0' ? std::string("，默认 ") + o.fallback : std::string();
    line +=
        std::string(" [--") + o.name + " " + o.values + fallback + "]" + (o.repeats ? "..." : "");
  }
  return line + ": " + kind.description;
}

// A single report's process makes one grid and writes it: what it frees
// (the fill's blocks, a column outgrown) is better kept for what it
// allocates next than handed back to the kernel and faulted in again a page
// at a time, which on a virtual machine is costly and uneven. Large blocks
// then come from the heap too, and the heap is not trimmed. A 100,000-row
// listing: 12,000 page faults -> 8,500. Not for `report all`, whose many
// grids on three threads would leave a heap that never shrinks fragmented
// (its peak grew from 375 to 432 MiB).
void KeepFreedMemory() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

void PrintReportHelp(std::ostream& out) {
  out << "用法: scorestat-cli [--db 数据库] report 报表 [选项] [--mask] [--no-rank] -o 文件\n"
         "文件的扩展名决定格式: .scg 或 .json（表格文件） .xlsx .html .csv .pdf\n"
         "--mask: 姓名只留首尾字（张*三），学号只留后 4 位；--no-rank: 不显示名次，"
         "名次表注明仅供内部使用（也可用 settings 隐藏姓名=1、不显示名次=1 保存）\n\n报表:\n";
  for (const reports::ReportKind& kind : reports::ReportCatalog())
    out << "  " << Usage(kind) << "\n";
  out << "  all [--charts] -o 文件.xlsx   本程序能生成的全部统计报表（每个科目一张），每张一个"
         "工作表；--charts 另加每个科目的分数段分布图和各班箱线图\n";
}

}  // namespace

bool ParseChoices(const std::vector<std::string>& words, reports::ReportChoices& choices,
                  std::string& out_path, std::ostream& err) {
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
        choices.Add(w.substr(2, eq - 2), w.substr(eq + 1));
      } else if (w.rfind("--no-", 0) == 0) {
        choices.Add(w.substr(5), "否");  // a yes/no option's other spelling
      } else if (i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0 && words[i + 1] != "-o") {
        choices.Add(w.substr(2), words[++i]);
      } else {
        choices.Add(w.substr(2), "");
      }
    } else {
      choices.Add("subject", w);
    }
  }
  return true;
}

void TakePrivacyFlags(std::vector<std::string>& words, data::PrivacySettings& privacy) {
  std::erase_if(words, [&](const std::string& w) {
    bool& flag = w == "--mask" ? privacy.mask_names : privacy.no_rank;
    if (w != "--mask" && w != "--no-rank") return false;
    flag = true;
    return true;
  });
}

void LoadSettingsForRun(Context& ctx) {
  const data::PrivacySettings given = ctx.state.privacy;
  data::LoadStartupSettings(ctx.state);
  ctx.state.privacy.mask_names = ctx.state.privacy.mask_names || given.mask_names;
  ctx.state.privacy.no_rank = ctx.state.privacy.no_rank || given.no_rank;
}

output::Document MakeReport(Context& ctx, const reports::ReportKind& kind,
                            const reports::ReportChoices& choices) {
  LoadSettingsForRun(ctx);
  StderrProgress progress(ctx.err);
  reports::ReportRun run{ctx.state, progress, output::Today()};
  output::Document doc;
  reports::MakeReport(kind, doc, run, choices);
  progress.Finish();
  return doc;
}

int Report(Context& ctx) {
  if (ctx.args.empty() || ctx.args[0] == "--help" || ctx.args[0] == "-h") {
    PrintReportHelp(ctx.args.empty() ? ctx.err : ctx.out);
    return ctx.args.empty() ? 2 : 0;
  }
  reports::ReportChoices choices;
  std::string out_path;
  TakePrivacyFlags(ctx.args, ctx.state.privacy);
  if (!ParseChoices(ctx.args, choices, out_path, ctx.err)) return 2;
  if (out_path.empty()) {
    ctx.err << "请用 -o 指定输出文件。\n";
    return 2;
  }
  const std::string& name = ctx.args[0];
  if (name == "all") {
    const auto& given = choices.values();
    const bool with_charts =
        std::any_of(given.begin(), given.end(), [](const auto& v) { return v.first == "charts"; });
    return WriteAllReports(ctx, out_path, with_charts);
  }
  const reports::ReportKind* kind = reports::FindReportKind(name);
  if (kind == nullptr) {
    ctx.err << "没有这种报表: " << name << "\n\n";
    PrintReportHelp(ctx.err);
    return 2;
  }
  if (const std::string unknown = reports::UndeclaredOption(*kind, choices); !unknown.empty()) {
    ctx.err << "报表 " << name << " 没有选项 --" << unknown << "（见 report --help）\n";
    return 2;
  }
  KeepFreedMemory();
  output::Document doc = MakeReport(ctx, *kind, choices);
  StderrProgress progress(ctx.err);
  const common::Status written = WriteDocument(doc, out_path, &progress);
  progress.Finish();
  if (!written) {
    ctx.err << written.message() << "\n";
    return 1;
  }
  ctx.err << doc.title << " → " << out_path << "\n";
  return 0;
}

}  // namespace cli
