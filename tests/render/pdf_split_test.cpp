// Many small documents painted as one and split (the class pack's slips
// and letters) must be the documents painted alone: the same pages, text and
// pixels, in files that poppler and qpdf read without complaint, each
// carrying only the glyphs its own pages show. A PDF the splitter does not
// understand is refused with a message, never a crash.
#include "render/pdf_split.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QPainter>
#include <regex>

#include "../pdf_text.h"
#include "../scratch_dir.h"
#include "../shell_run.h"
#include "render/print.h"
#include "render/strip_layout.h"

namespace {

using test_support::ReadFileBytes;
using test_support::RunCommand;
using test_support::ShellQuote;

// A class's slips: a heading and a row per student, as many pages as the
// students need, a footer numbering the class's own pages.
struct ClassSlips {
  grid::ReportGrid grid;
  std::vector<grid::Strip> strips;

  ClassSlips(const std::string& klass, const std::vector<std::string>& names)
      : grid(static_cast<int>(names.size()) * 3 + 1, 4) {
    for (std::size_t k = 0; k < names.size(); ++k) {
      const int row = static_cast<int>(k) * 3;
      grid.SetCellText(row, 1, "姓名");
      grid.SetCellText(row, 2, "语文");
      grid.SetCellText(row, 3, "Total");
      grid.SetCellText(row + 1, 1, names[k]);
      grid.SetCellText(row + 1, 2, std::to_string(60 + k % 40));
      grid.SetCellText(row + 1, 3, std::to_string(k * 7));
      strips.push_back({row, 2, k == 0});
    }
    grid.ReportTitles().Add("期中考试成绩条 " + klass);
    grid.PageSetup().footer.text = "第&p页 共&n页";
  }
};

std::vector<std::string> Students(const std::string& prefix, int count) {
  std::vector<std::string> names;
  for (int k = 0; k < count; ++k) names.push_back(prefix + std::to_string(k));
  return names;
}

// Page `page` (from 1) at 100 dpi, as portable pixmap bytes.
std::string PageImage(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  return RunCommand("pdftoppm -r 100 -f " + n + " -l " + n + " " + ShellQuote(pdf) + " 2>&1").out;
}

// Every FlateDecode stream of a PDF, inflated.
std::vector<std::string> InflatedStreams(const std::string& pdf) {
  std::vector<std::string> streams;
  // As the splitter writes its fonts' streams.
  static const std::regex kStream("/Filter /FlateDecode\\n/Length (\\d+)\\n>>\\nstream\\n");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), kStream);
       it != std::sregex_iterator(); ++it) {
    const std::size_t begin = static_cast<std::size_t>(it->position() + it->length());
    std::string out(8 << 20, '\0');
    uLongf size = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(pdf.data() + begin),
                   std::stoul((*it)[1])) == Z_OK)
      streams.push_back(out.substr(0, size));
  }
  return streams;
}

// The glyphs with an outline in a TrueType file (their loca entries differ).
int GlyphsWithOutlines(const std::string& font) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(font[at]) << 8 |
                                    static_cast<unsigned char>(font[at + 1]));
  };
  const auto u32 = [&](std::size_t at) { return u16(at) << 16 | u16(at + 2); };
  std::size_t head = 0, loca = 0, maxp = 0;
  for (std::size_t i = 0; i < u16(4); ++i) {
    const std::string tag = font.substr(12 + 16 * i, 4);
    const std::size_t offset = u32(12 + 16 * i + 8);
    if (tag == "head") head = offset;
    if (tag == "loca") loca = offset;
    if (tag == "maxp") maxp = offset;
  }
  const bool long_offsets = u16(head + 50) != 0;
  const auto at = [&](std::size_t g) {
    return long_offsets ? u32(loca + 4 * g) : 2 * u16(loca + 2 * g);
  };
  int outlined = 0;
  for (std::size_t g = 0; g < u16(maxp + 4); ++g) outlined += at(g + 1) > at(g) ? 1 : 0;
  return outlined;
}

bool IsFontFile(const std::string& s) {
  return s.starts_with(std::string("\0\1\0\0", 4));
}

class PdfSplitTest : public ::testing::Test {
 protected:
  void SetUp() override { render::EnsureGuiApplication(); }
  test_support::ScratchDir dir{"scorestat_pdf_split"};
};

// Three classes of 1, 40 and 9 students (one page, several, a short last
// page) painted as one document and split.
TEST_F(PdfSplitTest, SplitFilesAreTheDocumentsPaintedAlone) {
  const ClassSlips classes[] = {
      {"一班", {"龘一"}}, {"二班", Students("学生", 40)}, {"三班", Students("Pupil", 9)}};
  std::vector<render::StripDocument> docs;
  for (std::size_t k = 0; k < std::size(classes); ++k)
    docs.push_back(
        {&classes[k].grid, classes[k].strips, dir.File("split" + std::to_string(k) + ".pdf")});
  ASSERT_TRUE(render::WriteStripPdfs(docs).ok());
  for (std::size_t k = 0; k < std::size(classes); ++k) {
    SCOPED_TRACE(k);
    const std::string alone = dir.File("alone" + std::to_string(k) + ".pdf");
    ASSERT_TRUE(render::WriteStripPdf(classes[k].grid, classes[k].strips, alone).ok());
    const std::vector<std::string> pages = test_support::PdfPages(alone);
    ASSERT_FALSE(pages.empty());
    EXPECT_NE(pages.back().find("共" + std::to_string(pages.size()) + "页"), std::string::npos)
        << "each class numbers its own pages";
    EXPECT_EQ(test_support::PdfPages(docs[k].path), pages) << "every page, in order, with its text";
    for (int page = 1; page <= static_cast<int>(pages.size()); ++page)
      EXPECT_TRUE(PageImage(docs[k].path, page) == PageImage(alone, page)) << "page " << page;
    const test_support::CommandRun check =
        RunCommand("qpdf --check " + ShellQuote(docs[k].path) + " 2>&1");
    EXPECT_EQ(check.status, 0) << check.out;
  }
}

// 龘 is on the first class's page only: its outline and text mapping are
// in that file's font alone, and each file's font keeps the outlines its
// own pages show and no more.
TEST_F(PdfSplitTest, EachFileKeepsOnlyItsOwnGlyphs) {
  const ClassSlips classes[] = {{"一班", {"龘甲", "乙"}}, {"二班", {"丙", "丁"}}};
  std::vector<render::StripDocument> docs;
  for (std::size_t k = 0; k < std::size(classes); ++k)
    docs.push_back({&classes[k].grid, classes[k].strips, dir.File(std::to_string(k) + ".pdf")});
  ASSERT_TRUE(render::WriteStripPdfs(docs).ok());
  std::vector<int> outlines;
  for (std::size_t k = 0; k < docs.size(); ++k) {
    bool maps_it = false;
    int outlined = 0;
    for (const std::string& stream : InflatedStreams(ReadFileBytes(docs[k].path))) {
      maps_it = maps_it || stream.find("<9F98>") != std::string::npos;
      if (IsFontFile(stream)) outlined += GlyphsWithOutlines(stream);
    }
    EXPECT_EQ(maps_it, k == 0) << k;
    outlines.push_back(outlined);
  }
  // Class 2 shows 丙 and 丁 where class 1 shows 龘, 甲 and 乙; the rest (headings,
  // digits, the footer) differs only in the page count's digit and the title's 一/二.
  EXPECT_EQ(outlines[0], outlines[1] + 1);
}

// Every way a PDF can differ from what the writer makes is refused with the
// splitter's message.
TEST_F(PdfSplitTest, DamagedInputIsRefused) {
  const ClassSlips one("一班", Students("学生", 30));
  ASSERT_TRUE(render::WriteStripPdf(one.grid, one.strips, dir.File("good.pdf")).ok());
  const std::string good = ReadFileBytes(dir.File("good.pdf"));
  const std::size_t stream = good.find("stream\n") + 7;
  const std::size_t font_file = good.find("stream\n", good.find("/Length1")) + 7;
  const auto damaged_at = [&good](std::size_t at) {
    std::string bytes = good;
    for (std::size_t i = at; i < at + 16; ++i) bytes[i] = static_cast<char>(~bytes[i]);
    return bytes;
  };
  const auto replaced = [&good](const char* what, const char* by) {
    return std::regex_replace(good, std::regex(what), by, std::regex_constants::format_first_only);
  };
  // The first page drawn again as a pattern: content the scan cannot see. A
  // colour-space entry gives up its length, so no offset moves.
  std::smatch first_page;
  ASSERT_TRUE(std::regex_search(good, first_page, std::regex("\n(\\d+) 0 obj\n<<\n/Type /Page\n")));
  std::string pattern = "/Pattern <<\n/P " + first_page.str(1) + " 0 R";
  pattern += std::string(30 - pattern.size(), ' ') + ">>";
  const std::string drawn_again =
      replaced("/CSpg /DeviceGray\n(>>\n/ExtGState <<\n/GSa \\d+ 0 R\n>>\n)/Pattern <<\n>>",
               ("$1" + pattern).c_str());
  ASSERT_EQ(drawn_again.size(), good.size());
  ASSERT_NE(drawn_again, good);
  const struct {
    const char* what;
    std::string bytes;
    std::vector<int> first_pages;
  } cases[] = {
      {"not a PDF", "%XYZ-" + good.substr(5), {0}},
      {"cut in half", good.substr(0, good.size() / 2), {0}},
      {"a page's content not deflate", damaged_at(stream), {0}},
      {"a font file not deflate", damaged_at(font_file), {0}},
      {"a text map with a code that is not hex",
       replaced("<0000> <0000> <0000>", "<0000> <0000> <00Z0>"),
       {0}},
      {"a pattern with content of its own", drawn_again, {0}},
      {"a piece past the last page", good, {0, 1000}},
      {"pieces out of order", good, {0, 1, 1}},
      {"no first piece at page 0", good, {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < c.first_pages.size(); ++i)
      paths.push_back(dir.File("out" + std::to_string(i) + ".pdf"));
    const grid::Status split = render::SplitPdf(c.bytes, c.first_pages, paths);
    EXPECT_FALSE(split.ok());
    EXPECT_TRUE(split.message().starts_with("无法拆分PDF")) << split.message();
  }
  // Cut anywhere, it is refused, never read past its end.
  const std::vector<int> whole{0};
  const std::vector<std::string> out{dir.File("cut.pdf")};
  for (std::size_t cut = 1; cut < 64; ++cut)
    EXPECT_FALSE(
        render::SplitPdf(std::string_view(good).substr(0, good.size() * cut / 64), whole, out).ok())
        << cut;
}

}  // namespace
