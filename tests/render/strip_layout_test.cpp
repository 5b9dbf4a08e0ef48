// Strips to cut apart on paper: never split across pages, a new class on a
// new page, and what each printed page holds.
#include "render/strip_layout.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <functional>

#include "../scratch_dir.h"
#include "../shell_run.h"
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

// The first page of three strips whose student cells show "8888888888学生"
// in Arial, with `decorate` applied to their style, written to a PDF and
// rendered at 200 dpi. The digits come from Liberation Sans, the ideographs
// from a CJK face: a run of glyphs each.
QImage DecoratedStripsPage(const std::function<void(grid::CellStyle&)>& decorate) {
  std::vector<grid::Strip> strips;
  grid::ReportGrid g = StripGrid(3, strips);
  g.SetColWidth(1, 200);
  for (int row : {1, 4, 7}) {
    g.SetCellText(row, 1, "8888888888学生");
    g.ModifyStyles({row, 1, row, 1}, [&decorate](grid::CellStyle& s) {
      s.font_name = "Arial";
      decorate(s);
    });
  }
  const test_support::ScratchDir dir("scorestat_strips");
  EXPECT_TRUE(render::WriteStripPdf(g, strips, dir.File("s.pdf")).ok());
  const std::string png = dir.File("s");
  test_support::RunCommand("pdftoppm -r 200 -png -singlefile " +
                           test_support::ShellQuote(dir.File("s.pdf")) + " " +
                           test_support::ShellQuote(png));
  return QImage(QString::fromStdString(png + ".png")).convertToFormat(QImage::Format_RGB32);
}

// The lines that `decorated` adds to `plain`: runs of pixel rows each
// holding at least `length` pixels in a row that are dark in `decorated`
// and light in `plain`.
int AddedLines(const QImage& decorated, const QImage& plain, int length) {
  int lines = 0;
  bool in_line = false;
  for (int y = 0; y < plain.height(); ++y) {
    int longest = 0;
    for (int x = 0, run = 0; x < plain.width(); ++x) {
      const bool added =
          decorated.pixelColor(x, y).lightness() < 128 && plain.pixelColor(x, y).lightness() >= 128;
      run = added ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    lines += longest >= length && !in_line;
    in_line = longest >= length;
  }
  return lines;
}

// Strip pages draw their texts from glyph runs, the later strips from the
// cache; an underlined cell keeps its line on every strip, as on a table's
// page, under the whole text (some 160 px at 200 dpi). Each run's line
// starting at the text's left edge made one of the digits' length (110 px)
// with the ideographs' line inside it. The glyphs alone add no long stroke.
TEST(StripLayout, AnUnderlinedCellKeepsItsLine) {
  render::EnsureGuiApplication();
  const QImage plain = DecoratedStripsPage([](grid::CellStyle&) {});
  const QImage underlined = DecoratedStripsPage([](grid::CellStyle& s) { s.underline = true; });
  ASSERT_FALSE(plain.isNull());
  EXPECT_EQ(AddedLines(underlined, plain, 140), 3);
}

}  // namespace
