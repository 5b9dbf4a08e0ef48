// A score listing (default 10,000 rows) written to PDF: pages, seconds,
// file size; then the same on one writer and in two parts joined, to see
// from how many pages the parts pay. Prints figures; asserts nothing.
//
//   bench_render [rows]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/bench_util.h"
#include "render/page_painter.h"
#include "render/pagination.h"
#include "render/print.h"

namespace {

const char* const kHeaders[] = {"学校", "班级", "姓名", "语文", "数学",
                                "英语", "物理", "化学", "总分", "名次"};

grid::ReportGrid MakeListing(int rows) {
  constexpr int cols = 11;
  grid::ReportGrid g(rows + 2, cols);
  for (int c = 1; c < cols; ++c) g.SetCellText(0, c, kHeaders[c - 1]);
  for (int r = 1; r <= rows; ++r) {
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

// The listing in `parts` parts (1: on one writer): seconds.
double SecondsInParts(const grid::ReportGrid& g, const std::string& path, int parts) {
  const render::Pagination pages(g);
  const auto start = std::chrono::steady_clock::now();
  const grid::Status status = render::WritePagesPdfInParts(
      g, path, pages.PageCount(), parts, [&pages]() -> render::PagePainter {
        return [&pages](QPainter& p, int index, double scale) {
          render::PaintPage(p, pages, index, scale);
        };
      });
  return status.ok() ? bench::SecondsSince(start) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  render::EnsureGuiApplication();
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
  grid::ReportGrid g = MakeListing(rows);
  auto path = std::filesystem::temp_directory_path() / "scorestat_bench_render.pdf";
  auto start = std::chrono::steady_clock::now();
  grid::Status status = render::WritePdf(g, path.string());
  double seconds = bench::SecondsSince(start);
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  std::printf("%s\n", bench::MachineLine().c_str());
  std::printf("listing: %d rows x %d columns, %d pages, PDF %.1f MB\n", rows, g.Cols() - 1,
              render::PageCount(g), static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("WritePdf: %.2f s (target < 5 s)\n", seconds);
  std::printf("on one writer %.2f s, in two parts joined %.2f s\n",
              SecondsInParts(g, path.string(), 1), SecondsInParts(g, path.string(), 2));
  std::filesystem::remove(path);
  return 0;
}
