#include "cli/document_writer.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "cli/stderr_progress.h"
#include "data/score_database.h"
#include "grid/export.h"
#include "grid/grid_file.h"
#ifdef SCORESTAT_HAVE_RENDER
#include "render/print.h"
#include "render/strip_layout.h"
#endif

namespace cli {
namespace {

std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

common::Status WriteDocument(const output::Document& doc, const std::string& path) {
  const std::string ext = Extension(path);
  grid::Status status = grid::Status::Error("不支持的文件格式“." + ext +
                                            "”：请用 .scg、.json、.xlsx、.html、.csv 或 .pdf。");
  if (ext == "scg" || ext == "json") {
    status = grid::SaveGridFile(path, doc.grid, doc.caption, doc.title);
  } else if (ext == "xlsx") {
    status = grid::ExportToExcel(doc.grid, path);
  } else if (ext == "html" || ext == "htm") {
    status = grid::ExportToHtml(doc.grid, path, doc.caption);
  } else if (ext == "csv") {
    status = grid::ExportToCsv(doc.grid, path);
  } else if (ext == "pdf") {
#ifdef SCORESTAT_HAVE_RENDER
    render::EnsureGuiApplication();
    status = render::WriteReportPdf(doc.grid, doc.strips, path);
#else
    status = grid::Status::Error("这个版本没有编译 PDF 输出。");
#endif
  }
  return status;
}

int WriteAllReports(Context& ctx, const std::string& path, bool with_charts) {
  if (Extension(path) != "xlsx") {
    ctx.err << "report all 只能写成一个 .xlsx 工作簿。\n";
    return 2;
  }
  data::LoadSubjectLines(ctx.state);
  const std::vector<std::string> subjects = ctx.state.subject_lines.SubjectName;
  // One (kind, subject) pair per sheet; the subject is empty for the others.
  std::vector<std::pair<const reports::ReportKind*, std::string>> jobs;
  for (const reports::ReportKind& kind : reports::ReportCatalog()) {
    if (!kind.in_report_all) continue;
    if (!reports::PerSubjectInReportAll(kind)) jobs.emplace_back(&kind, "");
    for (const std::string& subject :
         reports::PerSubjectInReportAll(kind) ? subjects : std::vector<std::string>{})
      jobs.emplace_back(&kind, subject);
  }
  std::vector<output::Document> docs;
  docs.reserve(jobs.size());
  StderrProgress progress(ctx.err);
  for (size_t i = 0; i < jobs.size(); ++i) {
    const auto& [kind, subject] = jobs[i];
    progress.Report(static_cast<long long>(i), static_cast<long long>(jobs.size()),
                    kind->control_name + (subject.empty() ? "" : " " + subject));
    reports::ReportChoices choices;
    if (!subject.empty()) choices.Add("subject", subject);
    docs.push_back(MakeReport(ctx, *kind, choices));
  }
  progress.Report(static_cast<long long>(jobs.size()), static_cast<long long>(jobs.size()),
                  with_charts ? "正在画图表……" : "正在写入工作簿……");
  const std::vector<ChartSheet> charts =
      with_charts ? SubjectChartSheets(ctx) : std::vector<ChartSheet>{};
  std::vector<grid::NamedGrid> sheets;
  for (const output::Document& doc : docs) {
    std::string name = doc.caption.empty() ? doc.title : doc.caption;
    // The main title starts every caption; the sheet tab has room only for the rest.
    const std::string& main_title = ctx.state.title_settings.MainTitle;
    if (!main_title.empty() && name.rfind(main_title, 0) == 0 && name.size() > main_title.size())
      name = name.substr(main_title.size());
    sheets.push_back({name, &doc.grid});
  }
  for (const ChartSheet& chart : charts) sheets.push_back({chart.name, nullptr, chart.png});
  grid::Status status = grid::ExportBookToExcel(sheets, path);
  progress.Finish();
  if (!status) {
    ctx.err << status.message() << "\n";
    return 1;
  }
  ctx.err << "已写入 " << sheets.size() << " 张报表: " << path << "\n";
  return 0;
}

}  // namespace cli
