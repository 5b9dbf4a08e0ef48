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

bool WriteDocument(const output::Document& doc, const std::string& path, std::string& error) {
  const std::string ext = Extension(path);
  grid::Status status = grid::Status::Error("不支持的文件格式“." + ext +
                                            "”：请用 .json、.xlsx、.html、.csv 或 .pdf。");
  if (ext == "json") {
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
    status = render::WritePdf(doc.grid, path);
#else
    status = grid::Status::Error("这个版本没有编译 PDF 输出。");
#endif
  }
  if (!status) error = status.message();
  return status.ok();
}

int WriteAllReports(Context& ctx, const std::vector<ReportKind>& kinds, const std::string& path) {
  (void)kinds;
  (void)path;
  ctx.err << "report all 尚未完成。\n";
  return 1;
}

}  // namespace cli
