// A 10,000-row score listing written to PDF: pages, seconds, file size.
// Prints figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/bench_util.h"
#include "render/print.h"

namespace {

constexpr int kRows = 10000;
const char* const kHeaders[] = {"学校", "班级", "姓名", "语文", "数学",
                                "英语", "物理", "化学", "总分", "名次"};

grid::ReportGrid MakeListing() {
  constexpr int cols = 11;
  grid::ReportGrid g(kRows + 2, cols);
  for (int c = 1; c < cols; ++c) g.SetCellText(0, c, kHeaders[c - 1]);
  for (int r = 1; r <= kRows; ++r) {
    g.SetCellText(r, 1, "第" + std::to_string(r % 7 + 1) + "中学");
    g.SetCellText(r, 2, std::to_string(r % 12 + 1) + "班");
    g.SetCellText(r, 3, "学生" + std::to_string(r));
    int total = 0;
    for (int c = 4; c <= 8; ++c) {
      int score = 40 + (r * 37 + c * 11) % 61;
      total += score;
      g.SetCellText(r, c, std::to_string(score));
    }
    g.SetCellText(r, 9, std::to_string(total));
    g.SetCellText(r, 10, std::to_string(r));
  }
  for (int c = 4; c < cols; ++c) g.SetColWidth(c, 38);
  g.SetDisplayRowIndex(true);
  g.ReportTitles().Add("成绩一览表", "宋体", 14);
  g.ReportTitles().Add("某县||2024年6月", "Arial", 10).align_to = 1;
  grid::PageSettings& p = g.PageSetup();
  p.print_fixed_column = true;
  p.print_title_rows = 1;
  p.center_horizontally = true;
  p.footer.text = "共&n页  第&p页";
  return g;
}

}  // namespace

int main() {
  render::EnsureGuiApplication();
  grid::ReportGrid g = MakeListing();
  auto path = std::filesystem::temp_directory_path() / "scorestat_bench_render.pdf";
  auto start = std::chrono::steady_clock::now();
  grid::Status status = render::WritePdf(g, path.string());
  double seconds = bench::SecondsSince(start);
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  std::printf("%s\n", bench::MachineLine().c_str());
  std::printf("listing: %d rows x %d columns, %d pages, PDF %.1f MB\n", kRows, g.Cols() - 1,
              render::PageCount(g), static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("WritePdf: %.2f s (target < 5 s)\n", seconds);
  std::filesystem::remove(path);
  return 0;
}
