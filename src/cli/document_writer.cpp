#include "cli/document_writer.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "grid/export.h"
#include "grid/grid_file.h"
#ifdef SCORESTAT_HAVE_RENDER
#include "charts/chart_output.h"
#include "render/print.h"
#include "render/strip_layout.h"
#endif

namespace cli {

std::string FileExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

common::Status WriteDocument(const output::Document& doc, const std::string& path,
                             common::ProgressSink* progress) {
  const std::string ext = FileExtension(path);
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
    // A letter's trend is a chart, and charts need a QApplication.
    charts::EnsureChartApplication();
    status = render::WriteReportPdf(doc.grid, doc.strips, path, {.sink = progress},
                                    charts::PaintStripFigures);
#else
    (void)progress;
    status = grid::Status::Error("这个版本没有编译 PDF 输出。");
#endif
  }
  return status;
}

}  // namespace cli
