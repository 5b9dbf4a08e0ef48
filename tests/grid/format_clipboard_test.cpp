#include <gtest/gtest.h>

#include "grid/clipboard_text.h"
#include "grid/display_format.h"
#include "grid/report_grid.h"

namespace grid {
namespace {

struct FormatCase {
  const char* format;
  const char* text;
  const char* shown;
};

void ExpectShown(const std::vector<FormatCase>& cases) {
  for (const FormatCase& c : cases)
    EXPECT_EQ(FormatDisplayText(c.text, c.format), c.shown) << c.format << " / " << c.text;
}

TEST(DisplayFormat, FormatsNumbersAndLeavesOtherTextsAlone) {
  ExpectShown({
      {"General Number", "1234.5678", "1234.5678"},
      {"General Number", "087.50", "87.5"},
      {"General Number", "66.66666666666666666", "66.6666666666667"},
      {"0.00", "1234.5678", "1234.57"},
      {"0.00", "0", "0.00"},
      {"0", "85.4", "85"},
      {"####0.0", "1234.5678", "1234.6"},
      {"####0.0", "0", "0.0"},
      {"##,##0.00", "1234567.891", "1,234,567.89"},
      {"##,##0.00", "-1234.5", "-1,234.50"},
      {"##,##0.00", "66.66667", "66.67"},
      {"0.00", "-0.001", "0.00"},
      {"0.00", "缺考", "缺考"},
      {"0.00", "85分", "85分"},
      {"0.00", "", ""},
      {"", "1234.5678", "1234.5678"},
  });
}

// A spreadsheet opening our own export shows 106.3 for 106.25 with one
// decimal; the program must show the same. Halves go away from zero on the
// decimal the user reads, not on its binary expansion (2.675 is stored as
// 2.67499999...).
TEST(DisplayFormat, HalvesRoundAwayFromZeroOnTheDecimalShown) {
  ExpectShown({
      {"####0.0", "106.25", "106.3"},  // printf's half-to-even gave 106.2
      {"0.00", "2.675", "2.68"},       // binary 2.67499999... rounded down before
      {"0.00", "1.005", "1.01"},
      {"0", "0.5", "1"},
      {"0", "2.5", "3"},    // not to even
      {"0", "-2.5", "-3"},  // away from zero, not up
      {"0.0", "-0.05", "-0.1"},
      {"0.0", "-0.04", "0.0"},                      // rounds to zero: no minus sign
      {"##,##0.00", "999999.995", "1,000,000.00"},  // the carry runs through every digit
      {"0.00", "9.995", "10.00"},
      {"0", "0.49999999999999", "0"},  // below a half at the 15 digits shown
      {"0.00", "0.001", "0.00"},
      {"####0.0", "1E+20", "100000000000000000000.0"},
      {"0.00", "1E-20", "0.00"},
      {"0.00", "66.666666666666671", "66.67"},
  });
}

TEST(Clipboard, CopyThenPasteElsewhere) {
  ReportGrid g(1, 4);
  g.AddItem("\ta\tb\tc");
  g.AddItem("\td\t\tf");
  g.Range(1, 1, 2, 3).Select();
  g.Selection().CopyData();
  EXPECT_EQ(g.clipboard().Text(), "a\tb\tc\r\nd\t\tf");
  g.InsertRow(3, 2);
  g.Range(3, 2, 3, 2).Select();
  g.Selection().PasteData();  // runs past the right edge: the rest is dropped
  EXPECT_EQ(g.CellText(3, 2), "a");
  EXPECT_EQ(g.CellText(3, 3), "b");
  EXPECT_EQ(g.CellText(4, 2), "d");
  EXPECT_EQ(g.CellText(4, 3), "");
}

TEST(Clipboard, CutSparesLockedCellsAndPasteNeedsText) {
  ReportGrid g(1, 3);
  g.AddItem("\t1\t2");
  g.Range(1, 2, 1, 2).SetLocked(true);
  g.Range(1, 1, 1, 2).Select();
  g.Selection().CutData();
  EXPECT_EQ(g.clipboard().Text(), "1\t2");
  EXPECT_EQ(g.CellText(1, 1), "");
  EXPECT_EQ(g.CellText(1, 2), "2");

  auto shared = std::make_shared<MemoryClipboard>();
  g.SetClipboard(shared);
  EXPECT_THROW(g.Selection().PasteData(), GridError);
  shared->SetText("x\r\ny\n");
  g.Range(0, 1, 0, 1).Select();
  g.Selection().PasteData();
  EXPECT_EQ(g.CellText(0, 1), "x");
  EXPECT_EQ(g.CellText(1, 1), "y");
}

TEST(Clipboard, ParsesEveryLineEnd) {
  auto rows = ParseClipboardText("a\tb\r\nc\rd\n\te\n");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"d"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"", "e"}));
}

}  // namespace
}  // namespace grid
