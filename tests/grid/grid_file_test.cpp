#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "../scratch_dir.h"
#include "grid/grid_file.h"
#include "grid/grid_file_cells.h"

namespace grid {
namespace {

namespace fs = std::filesystem;

class GridFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  test_support::ScratchDir scratch_{"scorestat_grid_file"};
  const fs::path dir_ = scratch_.path();
};

// A report as the layouts leave it: styles, merges, hidden rows and columns,
// titles and a changed page setup.
ReportGrid StyledReport() {
  ReportGrid g(1, 5);
  g.SetDisplayRowIndex(true);
  g.SetCellText(0, 1, "学校");
  g.SetCellText(0, 2, "姓名");
  g.SetCellText(0, 3, "语文");
  g.SetCellText(0, 4, "总分");
  g.AddItem("\t一中\t张三\t85.5\t300");
  g.AddItem("\t一中\t李四\t<b>&\t280");
  g.AddItem("");
  g.Cell(1, 0).SetTag("U");
  g.Range(1, 1, 2, 1).Merge();
  g.Range(0, 1, 0, 4).SetFontBold(true);
  g.Range(1, 3, 2, 4).SetBackColor(0x00FF00);
  g.Range(1, 1, 2, 4).SetBorders(kEdgeDiagonalUp, kLineThick);
  g.Cell(2, 2).SetFontSize(14);
  g.Column(3).SetFormatString("0.00");
  g.Column(3).SetMask(kMaskNumber);
  g.Column(4).SetAlignment(kAlignCenter);
  g.SetColWidth(2, 0);
  g.SetRowHeight(2, 0);
  g.SetRowHeight(0, 32);
  auto& t = g.ReportTitles().Add("成绩表", "宋体", 14);
  t.print_on_all_pages = true;
  g.ReportTitles().Add("一中||2024-06-01", "Arial", 10).align_to = 1;
  auto& p = g.PageSetup();
  p.orientation = kLandscape;
  p.top_margin = 0.5;
  p.footer.text = "共&n页  第&p页";
  p.footer.font.name = "Tahoma";
  p.print_title_rows = 25;
  p.paper_width = 123;
  p.center_vertically = true;
  g.SetFixedRows(1);
  g.SetDefaultFontSize(11);
  g.Range(1, 2, 2, 3).Select();
  return g;
}

void ExpectSameGrid(const ReportGrid& a, const ReportGrid& b) {
  ASSERT_EQ(a.Rows(), b.Rows());
  ASSERT_EQ(a.Cols(), b.Cols());
  for (int r = 0; r < a.Rows(); ++r) {
    EXPECT_EQ(a.RowHeight(r), b.RowHeight(r));
    for (int c = 0; c < a.Cols(); ++c) {
      EXPECT_EQ(a.CellText(r, c), b.CellText(r, c));
      EXPECT_EQ(a.CellTag(r, c), b.CellTag(r, c));
      EXPECT_EQ(a.CellStyleAt(r, c), b.CellStyleAt(r, c)) << r << "," << c;
    }
  }
  for (int c = 0; c < a.Cols(); ++c) EXPECT_EQ(a.ColumnAt(c), b.ColumnAt(c));
  EXPECT_EQ(a.Merges(), b.Merges());
  EXPECT_EQ(a.ReportTitles(), b.ReportTitles());
  EXPECT_EQ(a.PageSetup(), b.PageSetup());
  EXPECT_EQ(a.DefaultFont(), b.DefaultFont());
  EXPECT_EQ(a.FixedRows(), b.FixedRows());
  EXPECT_EQ(a.DisplayRowIndex(), b.DisplayRowIndex());
  EXPECT_EQ(a.SelectionRect(), b.SelectionRect());
}

TEST_F(GridFileTest, RoundTripRestoresEverything) {
  ReportGrid g = StyledReport();
  ASSERT_TRUE(SaveGridFile(PathOf("r.json"), g, "成绩表", "成绩表 [共有 2 个记录]"));
  GridDocument doc;
  Status s = OpenGridFile(PathOf("r.json"), doc);
  ASSERT_TRUE(s) << s.message();
  EXPECT_EQ(doc.caption, "成绩表");
  EXPECT_EQ(doc.title, "成绩表 [共有 2 个记录]");
  ExpectSameGrid(g, doc.grid);
}

TEST_F(GridFileTest, PlainMembersAreReadableByOtherPrograms) {
  auto j = nlohmann::json::parse(GridFileText(StyledReport(), "c", "t"));
  EXPECT_EQ(j["caption"], "c");
  EXPECT_EQ(j["title"], "t");
  EXPECT_EQ(j["rows"], 4);
  EXPECT_EQ(j["cols"], 5);
  EXPECT_EQ(j["cells"][1][2], "张三");
  EXPECT_EQ(j["cells"][2][3], "<b>&");
  EXPECT_EQ(j["version"], kGridFileVersion);
}

// The per-cell members are written as text, not through the JSON library:
// the library, reading the file and writing it again, must give the same
// bytes (its own form), whatever the texts hold.
TEST_F(GridFileTest, CellsAreWrittenInTheLibrarysOwnForm) {
  const std::string texts[] = {"",
                               "a\"b\\c",
                               "tab\there",
                               "\b\f\n\r",
                               std::string("nul\0x", 5),
                               "\x01\x1f\x7f",
                               "成绩 ½ 𝄞",
                               "</script>",
                               "\\u0001",
                               "\n \"cells\": \"\\u0001\""};
  ReportGrid g = StyledReport();
  g.SetCols(static_cast<int>(std::size(texts)));
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    g.SetCellText(1, static_cast<int>(i), texts[i]);
    g.SetCellTag(2, static_cast<int>(i), texts[i]);
  }
  // Texts are looked at eight bytes at a time: a byte to escape, or one
  // that is not, at every place of a 17-byte text, and a character across
  // the first eight bytes' end.
  for (const char c : {'"', '\\', '\x1f', '\0', '\x7f', '~'}) {
    for (int at = 0; at < 17; ++at) {
      std::string text(17, 'x');
      text[static_cast<std::size_t>(at)] = c;
      g.AddItem("");
      g.SetCellText(g.Rows() - 1, 1, text);
    }
  }
  g.SetCellText(g.Rows() - 1, 2, "1234567成绩");
  // Also the report as it is, and a grid without styles, tags or heights.
  for (const ReportGrid& grid : {g, StyledReport(), ReportGrid(1, 1)}) {
    const std::string text = GridFileText(grid, texts[9], "t");
    EXPECT_EQ(nlohmann::json::parse(text).dump(1), text);
  }
}

// A long grid's members go out in blocks of rows made on two threads at
// once: styles, tags and heights found only in one block (either thread's,
// either side of a block's edge), or none at all, must still make the
// library's arrays, whole texts on each side of an edge, and the file the
// same bytes as the text.
TEST_F(GridFileTest, ALongGridWrittenInBlocksIsWrittenAsOne) {
  constexpr int kRows = 30000;
  constexpr int kEdge = internal::kRowsPerBlock;
  const std::vector<std::vector<int>> marked_rows = {
      {}, {5}, {kRows - 5}, {kEdge - 1}, {kEdge}, {kEdge - 1, kEdge, 3 * kEdge, kRows - 1}};
  for (const std::vector<int>& marked : marked_rows) {
    ReportGrid g(kRows, 3);
    for (int r = 0; r < kRows; ++r)
      g.SetCellText(r, 1,
                    r % kEdge < 2 || r % kEdge >= kEdge - 2 ? "成绩\"½𝄞\"" : std::to_string(r));
    for (const int r : marked) {
      g.Cell(r, 2).SetWrapText(true);
      g.SetCellTag(r, 0, "标记\n");
      g.SetRowHeight(r, 32);
    }
    const std::string text = GridFileText(g, "c", "t");
    EXPECT_EQ(nlohmann::json::parse(text).dump(1), text) << marked.size();
    ASSERT_TRUE(SaveGridFile(PathOf("long.json"), g, "c", "t"));
    std::ifstream file(PathOf("long.json"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), text) << marked.size();
  }
}

// Nothing is written for a grid with a text that is not UTF-8 (a cut
// character late in a long grid, in a tag, in a long text), so a file of
// that name keeps what it held; a bad text since replaced does not refuse.
TEST_F(GridFileTest, ARefusedGridLeavesTheFileAsItWas) {
  constexpr int kRows = 30000;
  struct Case {
    const char* name;
    int row;
    std::string text;
    bool as_tag;
    bool saves;
  };
  const Case cases[] = {
      {"cut in the last row", kRows - 1, "\xE6\x88", false, false},
      {"cut in a long text", kRows / 2, std::string(400, 'a') + "\xE6\x88", false, false},
      {"cut in a tag", 3, "\xE6\x88", true, false},
      {"replaced", kRows - 1, "\xE6\x88 cut in a pooled text", false, true},
  };
  for (const Case& c : cases) {
    ReportGrid g(kRows, 2);
    if (c.as_tag)
      g.SetCellTag(c.row, 0, c.text);
    else
      g.SetCellText(c.row, 1, c.text);
    if (c.saves) g.SetCellText(c.row, 1, "成绩");
    {
      std::ofstream before(PathOf("kept.json"), std::ios::binary | std::ios::trunc);
      before << "before";
    }
    EXPECT_EQ(static_cast<bool>(SaveGridFile(PathOf("kept.json"), g, "", "")), c.saves) << c.name;
    std::ifstream file(PathOf("kept.json"), std::ios::binary);
    const std::string held(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(held == "before", !c.saves) << c.name;
  }
}

TEST_F(GridFileTest, TextsThatAreNotUtf8AreRefused) {
  // Cut characters, an overlong '/', a surrogate, a code point above U+10FFFF,
  // and cut characters after eight ASCII bytes or across their end.
  for (const char* bad : {"\xE6\x88", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "12345678\xE6\x88", "1234567\xE6\x88", "12345678abcdefgh\x80"}) {
    ReportGrid g(2, 2);
    g.SetCellText(1, 1, bad);
    EXPECT_FALSE(SaveGridFile(PathOf("bad.json"), g, "", "")) << bad;
  }
}

TEST_F(GridFileTest, BrokenFilesLeaveTheDocumentAsItWas) {
  const std::string good = GridFileText(StyledReport(), "c", "t");
  auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"truncated", good.substr(0, good.size() / 2)},
      {"empty", ""},
      {"not json", "PK\x03\x04 binary"},
      {"json but not ours", "[1, 2, 3]"},
      {"unknown version", with("\"version\": 1", "\"version\": 99")},
      {"rows disagree", with("\"rows\": 4", "\"rows\": 7")},
      {"cell not a text", with("\"张三\"", "12")},
      {"merge out of range", with("\"merges\": [", "\"merges\": [[0, 0, 90, 1],")},
  };
  for (const auto& [name, text] : cases) {
    GridDocument doc;
    doc.caption = "kept";
    doc.grid.SetCellText(1, 1, "kept");
    Status s = ParseGridFileText(text, doc);
    EXPECT_FALSE(s) << name;
    EXPECT_FALSE(s.message().empty()) << name;
    EXPECT_EQ(doc.caption, "kept") << name;
    EXPECT_EQ(doc.grid.CellText(1, 1), "kept") << name;
  }
  GridDocument doc;
  Status s = ParseGridFileText(with("\"version\": 1", "\"version\": 99"), doc);
  EXPECT_NE(s.message().find("版本"), std::string::npos) << s.message();
}

}  // namespace
}  // namespace grid
