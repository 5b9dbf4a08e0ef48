#include "report_fixture.h"

#include <gtest/gtest.h>

#include "../pdf_text.h"
#include "../scratch_dir.h"
#include "../shell_run.h"
#include "render/print.h"

namespace render_test {

grid::ReportGrid MakeReport(int data_rows, int cols) {
  grid::ReportGrid g(data_rows + 1, cols);
  g.SetCellText(0, 1, "学校");
  g.SetCellText(0, 2, "班级");
  for (int c = 3; c < cols; ++c) g.SetCellText(0, c, "科目" + std::to_string(c));
  for (int r = 1; r <= data_rows; ++r) {
    g.SetCellText(r, 1, "一中");
    g.SetCellText(r, 2, "班" + std::to_string(r));
    for (int c = 3; c < cols; ++c) g.SetCellText(r, c, std::to_string(60 + (r * c) % 40));
  }
  g.SetDisplayRowIndex(true);
  g.SetRowHeight(0, 32);
  g.ReportTitles().Add("各班语文统计表", "宋体", 14);
  g.ReportTitles().Add("一中||2024年6月", "Arial", 10).align_to = 1;
  grid::PageSettings& p = g.PageSetup();
  p.left_margin = p.right_margin = 1;
  p.top_margin = p.bottom_margin = 2;
  p.header_margin = p.footer_margin = 1;
  p.black_and_white = true;
  p.print_fixed_row = true;
  p.print_gridlines = true;
  p.print_title_rows = 1;
  p.center_horizontally = true;
  p.footer.text = "共&n页  第&p页";
  return g;
}

std::string RenderPdf(const grid::ReportGrid& grid, const std::string& name) {
  render::EnsureGuiApplication();
  // One folder per test process, removed when the process ends.
  static const test_support::ScratchDir dir("scorestat_render");
  std::string path = dir.File(name + ".pdf");
  grid::Status status = render::WritePdf(grid, path);
  EXPECT_TRUE(status.ok()) << status.message();
  return path;
}

std::vector<std::string> PdfPages(const std::string& pdf) {
  return test_support::PdfPages(pdf);
}

std::string PdfPageSize(const std::string& pdf) {
  std::string info = test_support::RunCommand("pdfinfo '" + pdf + "' 2>/dev/null").out;
  auto pos = info.find("Page size:");
  if (pos == std::string::npos) return {};
  auto end = info.find('\n', pos);
  std::string line = info.substr(pos + 10, end - pos - 10);
  return line.substr(line.find_first_not_of(' '));
}

int Count(const std::string& text, const std::string& needle) {
  int n = 0;
  for (auto pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1))
    ++n;
  return n;
}

}  // namespace render_test
