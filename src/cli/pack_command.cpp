// pack: every class's folder of slips, parent letters, statistics and
// student list (reports/class_pack.h).
#include <iostream>
#include <optional>

#include "cli/cli.h"
#include "cli/document_writer.h"
#include "cli/stderr_progress.h"
#include "reports/class_pack.h"
#ifdef SCORESTAT_HAVE_RENDER
#include "charts/chart_output.h"
#endif

namespace cli {

int Pack(Context& ctx) {
  TakePrivacyFlags(ctx.args, ctx.state.privacy);
  std::string dir;
  std::optional<data::LetterTrend> trend;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    if ((ctx.args[i] == "-o" || ctx.args[i] == "--output") && i + 1 < ctx.args.size()) {
      dir = ctx.args[++i];
    } else if (ctx.args[i] == "--trend" || ctx.args[i] == "--no-trend") {
      trend = ctx.args[i] == "--trend" ? data::LetterTrend::kOn : data::LetterTrend::kOff;
    } else {
      ctx.err << "用法: scorestat-cli pack [--mask] [--no-rank] [--trend|--no-trend] -o 文件夹\n";
      return 2;
    }
  }
  if (dir.empty()) {
    ctx.err << "请用 -o 指定输出文件夹。\n";
    return 2;
  }
  LoadSettingsForRun(ctx);
  if (trend) ctx.state.privacy.letter_trend = *trend;
#ifdef SCORESTAT_HAVE_RENDER
  // The pack writes PDFs on several threads: the application they paint
  // under (one that charts can use: the letters' trends) is made here, on
  // the main thread, first.
  charts::EnsureChartApplication();
#endif
  StderrProgress progress(ctx.err);
#ifdef SCORESTAT_HAVE_RENDER
  const reports::PdfWriter pdf = charts::WritePackPdfs;
#else
  const reports::PdfWriter pdf = [](std::span<const reports::PdfJob> jobs) {
    for (const reports::PdfJob& job : jobs)
      if (common::Status written = WriteDocument(*job.doc, job.path); !written) return written;
    return common::Status::Ok();
  };
#endif
  const reports::PackResult result =
      reports::WriteClassPacks(ctx.state, dir, pdf, progress, output::Today());
  progress.Finish();
  ctx.err << "已按班输出 " << result.classes << " 个班级、" << result.files << " 个文件: " << dir
          << "\n";
  return 0;
}

}  // namespace cli
