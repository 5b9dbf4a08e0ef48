// A long PDF painted in parts on several threads and joined must be the
// document one writer paints: the same pages in the same order, the same
// text and pixels, a file poppler reads without complaint. Parts the joiner
// does not understand are refused with a message, never a crash.
#include "render/pdf_join.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "../pdf_text.h"
#include "../scratch_dir.h"
#include "../shell_run.h"
#include "render/print.h"
#include "render/strip_layout.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFileBytes;
using test_support::RunCommand;
using test_support::ShellQuote;

// 200 slips of a heading and a student row, a class of 25 starting each
// new page: 16 pages, each naming its own students and its page number.
struct SlipDocument {
  grid::ReportGrid grid{601, 4};
  std::vector<grid::Strip> strips;
  std::vector<std::vector<std::size_t>> pages;

  SlipDocument() {
    for (int k = 0; k < 200; ++k) {
      grid.SetCellText(k * 3, 1, "姓名");
      grid.SetCellText(k * 3, 2, "语文");
      grid.SetCellText(k * 3, 3, "Total");
      grid.SetCellText(k * 3 + 1, 1, "学生" + std::to_string(k));
      grid.SetCellText(k * 3 + 1, 2, std::to_string(60 + k % 40));
      grid.SetCellText(k * 3 + 1, 3, std::to_string(k * 7));
      strips.push_back({k * 3, 2, k % 25 == 0});
    }
    grid.ReportTitles().Add("期中考试成绩条");
    grid.PageSetup().footer.text = "第&p页 共&n页";
    pages = render::LayOutStrips(grid, strips);
  }

  grid::Status Write(const std::string& path, int parts, const render::PdfProgress& progress = {}) {
    render::EnsureGuiApplication();
    return render::WritePagesPdfInParts(
        grid, path, static_cast<int>(pages.size()), parts,
        [this]() -> render::PagePainter {
          return [this, cache = std::make_shared<render::PaintCache>()](QPainter& p, int index,
                                                                        double scale) {
            render::PaintStripPage(p, grid, strips, pages, index, scale, cache.get());
          };
        },
        progress);
  }
};

std::vector<std::string> FontLines(const std::string& pdf) {
  std::vector<std::string> lines;
  std::istringstream out(RunCommand("pdffonts " + ShellQuote(pdf) + " 2>&1").out);
  for (std::string line; std::getline(out, line);)
    if (line.find("CID TrueType") != std::string::npos) lines.push_back(line.substr(0, 36));
  return lines;
}

// Page `page` (from 1) at 100 dpi, as portable pixmap bytes.
std::string PageImage(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  return RunCommand("pdftoppm -r 100 -f " + n + " -l " + n + " " + ShellQuote(pdf) + " 2>&1").out;
}

TEST(PdfJoin, PartsJoinedAreTheDocumentOneWriterPaints) {
  SlipDocument doc;
  ASSERT_EQ(doc.pages.size(), 16u);
  const test_support::ScratchDir dir("scorestat_pdf_join");
  const std::string one = dir.File("one.pdf");
  ASSERT_TRUE(doc.Write(one, 1).ok());
  const std::vector<std::string> expected = test_support::PdfPages(one);
  ASSERT_EQ(expected.size(), 16u);
  ASSERT_NE(expected[15].find("学生199"), std::string::npos);
  ASSERT_NE(expected[15].find("第16页 共16页"), std::string::npos);
  const std::vector<std::string> one_fonts = FontLines(one);
  ASSERT_FALSE(one_fonts.empty());
  for (int parts : {2, 3}) {
    SCOPED_TRACE(parts);
    const std::string joined = dir.File("joined" + std::to_string(parts) + ".pdf");
    ASSERT_TRUE(doc.Write(joined, parts).ok());
    EXPECT_EQ(test_support::PdfPages(joined), expected) << "every page, in order, with its text";
    // Each part embeds its own subsets: a font missing from the join would
    // leave that part's text blank or unreadable.
    std::vector<std::string> fonts;
    for (int k = 0; k < parts; ++k) fonts.insert(fonts.end(), one_fonts.begin(), one_fonts.end());
    std::vector<std::string> joined_fonts = FontLines(joined);
    std::sort(fonts.begin(), fonts.end());
    std::sort(joined_fonts.begin(), joined_fonts.end());
    EXPECT_EQ(joined_fonts, fonts);
    const test_support::CommandRun info = RunCommand("pdfinfo " + ShellQuote(joined) + " 2>&1");
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out.find("rror"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Pages:           16"), std::string::npos) << info.out;
    // The first page, the pages either side of a split, and the last.
    for (int page : {1, 16 / parts, 16 / parts + 1, 16}) {
      const std::string image = PageImage(joined, page);
      EXPECT_GT(image.size(), 100000u);
      EXPECT_TRUE(image == PageImage(one, page)) << "page " << page << " differs";
    }
  }
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().extension(), ".pdf") << "no temporary parts left beside the output";
}

// Progress counts the pages of all parts together; a cancel stops every
// part, writes nothing and leaves an earlier file and no parts behind.
TEST(PdfJoin, PartsReportProgressTogetherAndCancelLeavesNothing) {
  struct Seen : common::ProgressSink {
    std::vector<long long> values;
    void Report(long long value, long long maximum, std::string_view) override {
      EXPECT_EQ(maximum, 16);
      values.push_back(value);
    }
  } seen;
  SlipDocument doc;
  const test_support::ScratchDir dir("scorestat_pdf_join");
  const std::string path = dir.File("s.pdf");
  ASSERT_TRUE(doc.Write(path, 2, {.sink = &seen}).ok());
  ASSERT_FALSE(seen.values.empty());
  EXPECT_TRUE(std::is_sorted(seen.values.begin(), seen.values.end()));
  EXPECT_EQ(seen.values.back(), 16);
  const std::string before = ReadFileBytes(path);
  int asked = 0;
  const grid::Status stopped = doc.Write(path, 2, {.cancelled = [&asked] { return ++asked == 3; }});
  EXPECT_EQ(stopped.message(), render::kPdfCancelled);
  EXPECT_TRUE(ReadFileBytes(path) == before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

std::string WithFile(const test_support::ScratchDir& dir, const std::string& name,
                     const std::string& bytes) {
  std::ofstream(dir.File(name), std::ios::binary) << bytes;
  return dir.File(name);
}

// Each way a part can differ from what the writer makes is refused, and the
// output is not touched.
TEST(PdfJoin, PartsItDoesNotUnderstandAreRefusedAndNothingIsWritten) {
  SlipDocument doc;
  const test_support::ScratchDir dir("scorestat_pdf_join");
  ASSERT_TRUE(doc.Write(dir.File("good.pdf"), 1).ok());
  const std::string good = ReadFileBytes(dir.File("good.pdf"));
  const std::size_t trailer = good.rfind("trailer\n<<\n");
  // The entry of object 2, the catalog: 20 bytes after object 1's.
  const std::size_t catalog_entry = good.find(" 65535 f \n") + 10 + 20;
  char off_by_one[24];
  std::snprintf(off_by_one, sizeof off_by_one, "%010lld",
                std::stoll(good.substr(catalog_entry, 10)) + 1);
  ASSERT_NE(trailer, std::string::npos);
  const auto replaced = [&good](const std::regex& what, const std::string& by) {
    return std::regex_replace(good, what, by, std::regex_constants::format_first_only);
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"not a PDF", "%XYZ-" + good.substr(5)},
      {"empty", ""},
      {"cut in half: no cross-reference table", good.substr(0, good.size() / 2)},
      {"startxref pointing into an object",
       good.substr(0, good.rfind("startxref")) + "startxref\n15\n%%EOF\n"},
      // Off by one byte: "2 0 obj" read from its second byte.
      {"an entry pointing beside its object",
       good.substr(0, catalog_entry) + off_by_one + good.substr(catalog_entry + 10)},
      {"encrypted", good.substr(0, trailer + 11) + "/Encrypt 1 0 R\n" + good.substr(trailer + 11)},
      {"an incremental update",
       good.substr(0, trailer + 11) + "/Prev 9 \n" + good.substr(trailer + 11)},
      // A length object of the same width but a larger value.
      {"a stream longer than its data",
       replaced(std::regex("(\\n\\d+ 0 obj\\n)[1-8](\\d+\\nendobj)"), "$019$02")},
      {"a reference to another generation",
       replaced(std::regex(" 0 R\\n/Resources"), " 1 R\n/Resources")},
      {"a page tree of more than one level", replaced(std::regex("/Count 16"), "/Count 17")},
  };
  const std::string out = WithFile(dir, "out.pdf", "earlier");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(c.bytes, good);
    const std::vector<std::string> parts{dir.File("good.pdf"), WithFile(dir, "bad.pdf", c.bytes)};
    const grid::Status joined = render::JoinPdfs(parts, out);
    EXPECT_FALSE(joined.ok());
    EXPECT_TRUE(joined.message().starts_with("无法合并PDF")) << joined.message();
    EXPECT_TRUE(ReadFileBytes(out) == "earlier");
  }
  EXPECT_FALSE(render::JoinPdfs(std::vector<std::string>{dir.File("none.pdf")}, out).ok());
  // Cut anywhere before its table, a part is refused, never read past its end.
  for (std::size_t cut = 1; cut < 60; ++cut) {
    const std::vector<std::string> parts{
        WithFile(dir, "cut.pdf", good.substr(0, good.size() * cut / 64))};
    EXPECT_FALSE(render::JoinPdfs(parts, out).ok()) << cut;
  }
  EXPECT_TRUE(ReadFileBytes(out) == "earlier");
}

}  // namespace
