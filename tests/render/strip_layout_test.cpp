// Strips to cut apart on paper: never split across pages, a new class on a
// new page, and what each printed page holds.
#include "render/strip_layout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../scratch_dir.h"
#include "render/print.h"
#include "report_fixture.h"

namespace {

using Pages = std::vector<std::vector<std::size_t>>;

// `count` strips of a heading row and a student row, 20 px each, with an
// empty row after each; strip k names student k.
grid::ReportGrid StripGrid(int count, std::vector<grid::Strip>& strips) {
  grid::ReportGrid g(count * 3 + 1, 3);
  for (int k = 0; k < count; ++k) {
    g.SetCellText(k * 3, 1, "姓名");
    g.SetCellText(k * 3 + 1, 1, "学生" + std::to_string(k));
    strips.push_back({k * 3, 2, false});
  }
  return g;
}

// A4 portrait with 2.5 cm margins leaves 933.5 px: a first strip of 40 px,
// then 64 px (the 24 px cut gap and 40) for each next, fits 14.
TEST(StripLayout, AsManyWholeStripsAsFitAndEachClassOnANewPage) {
  std::vector<grid::Strip> strips;
  const grid::ReportGrid g = StripGrid(20, strips);
  Pages pages = render::LayOutStrips(g, strips);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].size(), 14u);
  EXPECT_EQ(pages[1].front(), 14u);
  strips[5].new_page = true;  // the second class begins
  pages = render::LayOutStrips(g, strips);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0], (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pages[1].size(), 14u);
  EXPECT_EQ(pages[2], (std::vector<std::size_t>{19}));
  // Rows the user deleted since do not make the layout read past the grid.
  strips.push_back({200, 2, true});
  EXPECT_EQ(render::LayOutStrips(g, strips).back(), (std::vector<std::size_t>{20}));
  EXPECT_EQ(render::LayOutStrips(g, {}).size(), 1u) << "an empty report is one empty page";
}

TEST(StripLayout, EachPrintedPageHoldsItsOwnStrips) {
  std::vector<grid::Strip> strips;
  grid::ReportGrid g = StripGrid(3, strips);
  g.PageSetup().footer.text = "第&p页";
  g.ReportTitles().Add("期中考试成绩条");
  strips[2].new_page = true;
  render::EnsureGuiApplication();
  const test_support::ScratchDir dir("scorestat_strips");
  ASSERT_TRUE(render::WriteStripPdf(g, strips, dir.File("s.pdf")).ok());
  const std::vector<std::string> pages = render_test::PdfPages(dir.File("s.pdf"));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(render_test::Count(pages[0], "姓名"), 2) << "each strip has its heading";
  EXPECT_EQ(render_test::Count(pages[0], "学生2"), 0);
  EXPECT_EQ(render_test::Count(pages[1], "学生2"), 1);
  EXPECT_EQ(render_test::Count(pages[1], "第2页"), 1);
  for (const std::string& page : pages)
    EXPECT_EQ(render_test::Count(page, "期中考试成绩条"), 1) << "the title on every page";
}

// A long PDF tells how far it has got, page by page; stopped, it writes
// nothing, and an earlier file of the same name stays as it was.
TEST(StripLayout, PdfProgressCountsPagesAndCancellingWritesNothing) {
  struct Seen : common::ProgressSink {
    std::vector<std::pair<long long, long long>> reports;
    void Report(long long value, long long maximum, std::string_view) override {
      reports.emplace_back(value, maximum);
    }
  } seen;
  std::vector<grid::Strip> strips;
  const grid::ReportGrid g = StripGrid(20, strips);  // 14 strips, then 6: two pages
  render::EnsureGuiApplication();
  const test_support::ScratchDir dir("scorestat_strips");
  const std::string path = dir.File("s.pdf");
  ASSERT_TRUE(render::WriteStripPdf(g, strips, path, {.sink = &seen}).ok());
  EXPECT_EQ(seen.reports, (std::vector<std::pair<long long, long long>>{{1, 2}, {2, 2}}));
  const auto size = std::filesystem::file_size(path);
  int asked = 0;
  const grid::Status stopped = render::WriteStripPdf(
      g, strips, path, {.cancelled = [&asked] { return ++asked == 2; }});  // after page 1
  EXPECT_EQ(stopped.message(), render::kPdfCancelled);
  EXPECT_EQ(std::filesystem::file_size(path), size);
  EXPECT_FALSE(
      render::WriteStripPdf(g, strips, dir.File("t.pdf"), {.cancelled = [] { return true; }}).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.File("t.pdf")));
}

}  // namespace
