// The column store under every grid: texts of any length come back as they
// went in, wherever the store keeps them, and row and column edits keep a
// cell's text, style and tag together.
#include "grid/cell_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace grid {
namespace {

CellValue Cell(const std::string& text, std::uint32_t style = 0, std::uint32_t tag = 0) {
  return CellValue{CompactText(text), style, tag};
}

// Every cell as "text/style/tag", row by row.
std::vector<std::string> Dump(const CellStore& s) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < s.Rows(); ++r)
    for (std::size_t c = 0; c < s.Cols(); ++c)
      out.push_back(std::string(s.Text(r, c)) + "/" + std::to_string(s.Style(r, c)) + "/" +
                    std::to_string(s.Tag(r, c)));
  return out;
}

TEST(CellStore, TextsOfEveryLengthComeBack) {
  // Lengths around the inline limit (7 bytes), the one-byte length prefix
  // (255) and a pool block (1 MiB), and texts with a zero byte; only the
  // empty one, and a text emptied, counts as empty.
  const std::vector<std::string> texts = {
      "",
      std::string(1, '\0'),
      "7",
      "1234567",
      "12345678",
      "学生",
      "第3中学",
      std::string(254, 'a'),
      std::string(255, 'b'),
      std::string(70000, 'c'),
      std::string((1 << 20) + 3, 'd'),
      std::string("a\0b", 3),
      "学生1234567890",
  };
  CellStore s(texts.size(), 3, kDefaultRowHeight);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    s.SetText(i, 0, texts[i]);
    s.SetText(i, 1, texts[texts.size() - 1 - i]);
  }
  // A column set at once from the texts it names, twice over, so that its
  // pooled texts are replaced by others.
  std::vector<std::uint32_t> index(texts.size());
  for (std::size_t step : {5, 7}) {
    for (std::size_t i = 0; i < texts.size(); ++i)
      index[i] = static_cast<std::uint32_t>((i * step + 3) % texts.size());
    s.SetTexts(2, 0, texts, index);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(s.Text(i, 0), texts[i]) << "row " << i;
    EXPECT_EQ(s.Text(i, 1), texts[texts.size() - 1 - i]) << "row " << i;
    EXPECT_EQ(s.Text(i, 2), texts[index[i]]) << "row " << i;
    EXPECT_EQ(s.Empty(i, 0), texts[i].empty()) << "row " << i;
    EXPECT_EQ(s.Empty(i, 2), texts[index[i]].empty()) << "row " << i;
  }
  s.SetText(texts.size() - 1, 0, "");
  EXPECT_TRUE(s.Empty(texts.size() - 1, 0));
}

// A column set from texts it repeats keeps each pooled text once: editing
// one of its cells, deleting most of its rows (which rebuilds the pool) and
// sorting leave every other cell's text as it was.
TEST(CellStore, TextsSharedByAColumnStayEachCellsOwn) {
  const std::vector<std::string> texts = {std::string(600000, 'x'), "第二中学", "7", ""};
  constexpr std::size_t kRows = 12;
  CellStore s(kRows, 2, kDefaultRowHeight);
  std::vector<std::uint32_t> index(kRows);
  for (std::size_t i = 0; i < kRows; ++i) index[i] = static_cast<std::uint32_t>(i % texts.size());
  s.SetTexts(1, 0, texts, index);
  EXPECT_LT(s.Bytes(), 2 * texts[0].size()) << "the long text kept once";
  s.SetText(4, 1, "改过的第一中学");
  s.EraseRows(0, 3);  // the long text let go by two cells: the pool is rebuilt
  std::vector<std::uint32_t> order(kRows - 3);
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = static_cast<std::uint32_t>(order.size() - 1 - i);
  s.PermuteRows(0, order);
  for (std::size_t r = 0; r < kRows - 3; ++r) {
    const std::size_t was = kRows - 1 - r;
    EXPECT_EQ(s.Text(r, 1), was == 4 ? "改过的第一中学" : texts[was % texts.size()]) << "row " << r;
  }
}

TEST(CellStore, RowAndColumnEditsKeepCellsWhole) {
  CellStore s(3, 2, kDefaultRowHeight);
  s.SetText(0, 0, "header text long");
  s.SetText(1, 0, "a");
  s.SetStyle(1, 1, 5);  // styles appear in one column only
  s.SetText(2, 0, "third row text");
  s.SetTag(2, 0, 1);
  s.SetHeight(2, 0);

  RowValue inserted;
  inserted.cells = {Cell("inserted long text", 2, 0), Cell("x", 0, 3)};
  inserted.height = 33;
  s.InsertRows(1, {inserted});
  s.InsertBlankRows(4, 1, 7);
  EXPECT_EQ(Dump(s),
            (std::vector<std::string>{"header text long/0/0", "/0/0",     // row 0
                                      "inserted long text/2/0", "x/0/3",  // the inserted row
                                      "a/0/0", "/5/0",                    //
                                      "third row text/0/1", "/0/0",       //
                                      "/0/0", "/0/0"}));                  // the blank one
  EXPECT_EQ(s.Height(1), 33);
  EXPECT_EQ(s.Height(3), 0);
  EXPECT_EQ(s.Height(4), 7);

  s.InsertCols(1, 1,
               {Cell("c0"), Cell("c1 long text", 4), Cell("c2"), Cell("c3", 0, 2), Cell("c4")});
  EXPECT_EQ(s.ColsCells(1, 1)[1].text.view(), "c1 long text");
  s.EraseCols(0, 1);
  s.EraseRows(0, 1);
  EXPECT_EQ(Dump(s), (std::vector<std::string>{"c1 long text/4/0", "x/0/3",  //
                                               "c2/0/0", "/5/0",             //
                                               "c3/0/2", "/0/0",             //
                                               "c4/0/0", "/0/0"}));
  EXPECT_EQ(s.Height(0), 33);

  // Rows now at 1 + i come from 1 + order[i].
  s.PermuteRows(1, {2, 0, 1});
  EXPECT_EQ(Dump(s), (std::vector<std::string>{"c1 long text/4/0", "x/0/3",  //
                                               "c4/0/0", "/0/0",             //
                                               "c2/0/0", "/5/0",             //
                                               "c3/0/2", "/0/0"}));
  EXPECT_EQ(s.Height(1), 7);
  EXPECT_EQ(s.Height(3), 0);
}

// The check the grid file makes before writing: a bad text is found inline
// or pooled, short or long (a five-byte length prefix), and one that was
// replaced (still in the pool) does not fail the store.
TEST(CellStore, EveryNonAsciiTextIsChecked) {
  const auto mark_bad = [](std::string_view t) { return t.find("bad") == std::string_view::npos; };
  struct Case {
    const char* name;
    std::vector<std::string> texts;     // put in column 1, row by row
    std::vector<std::string> replaced;  // then rows 0.. given these
    bool passes;
  };
  const Case cases[] = {
      {"ascii only", {"1", "abcdefgh", std::string(300, 'a')}, {}, true},
      {"inline bad", {"ébad", "ok"}, {}, false},
      {"pooled bad", {"ébad0123456789"}, {}, false},
      {"long bad", {std::string(300, 'x') + "ébad"}, {}, false},
      {"bad replaced", {"ébad0123456789", "ébad"}, {"good text here", "ok"}, true},
  };
  for (const Case& c : cases) {
    CellStore store(c.texts.size(), 2, kDefaultRowHeight);
    for (std::size_t r = 0; r < c.texts.size(); ++r) store.SetText(r, 1, c.texts[r]);
    for (std::size_t r = 0; r < c.replaced.size(); ++r) store.SetText(r, 1, c.replaced[r]);
    EXPECT_EQ(store.NonAsciiTextsPass(mark_bad), c.passes) << c.name;
  }
}

}  // namespace
}  // namespace grid
