// Columns and rows sized to their texts. At 9 pt an em is 12 px; the
// estimate gives a CJK character a full em and a digit of 宋体 (Noto Serif
// CJK SC) about half of one.
#include "grid/content_fit.h"

#include <gtest/gtest.h>

namespace grid {
namespace {

const EstimatingMeasurer kMeasurer;
const Font kNine;  // 宋体 9 pt

int Width(std::string_view text) {
  return kMeasurer.TextWidth(text, kNine);
}

// The old half-em estimate made 149985.5 narrower than it prints (49.8 px in
// Noto Serif CJK at 9 pt), which is how the 合计 figure came to be cut.
TEST(EstimatingMeasurer, NumbersAreNotUnderestimated) {
  EXPECT_GE(Width("149985.5"), 50);
  EXPECT_EQ(Width("语文"), 24);  // a full em each
  Font bold = kNine;
  bold.bold = true;
  EXPECT_GT(kMeasurer.TextWidth("149985.5", bold), Width("149985.5"));
  EXPECT_EQ(Width("语文\n数学成绩"), Width("数学成绩"));  // the widest line
  Font big = kNine;
  big.size = 18;
  EXPECT_EQ(kMeasurer.TextWidth("语文", big), 48);
}

struct WrapCase {
  const char* text;
  int width;
  int lines;
  const char* why;
};

// A statistics report: a header row, a totals row and scores.
ReportGrid ScoreColumn(const std::vector<std::string>& values, const std::string& format) {
  ReportGrid g(1, 2);
  g.SetCellText(0, 1, "语文");
  for (const std::string& v : values) g.AddItem("\t" + v);
  g.SetColFormat(1, format);
  return g;
}

TEST(NeededColumnWidth, MeasuresTheFormattedTextOfEveryDistinctValue) {
  // "100" shows as "100.00": the formatted text is what must fit.
  ReportGrid g = ScoreColumn({"87.5", "100", "87.5"}, "0.00");
  EXPECT_EQ(NeededColumnWidth(g, 1), Width("100.00") + kFitPaddingX);
  // A repeated value is measured once, but a longer one anywhere counts.
  std::vector<std::string> many(5000, "60");
  many[4321] = "149985.5";
  EXPECT_EQ(NeededColumnWidth(ScoreColumn(many, ""), 1), Width("149985.5") + kFitPaddingX);
  // Without values the header alone counts, and an empty column keeps its
  // padding: AutoFit never hides a column.
  EXPECT_EQ(NeededColumnWidth(ScoreColumn({"", ""}, ""), 1), 24 + kFitPaddingX);
  ReportGrid empty(3, 2);
  EXPECT_EQ(NeededColumnWidth(empty, 1), kFitPaddingX);
}

// Texts the fitter took for one another would leave the wider unmeasured:
// alike in length and in their first eight bytes, or the same text in
// another style right below.
TEST(NeededColumnWidth, TellsApartTextsAlikeInPartOrInStyle) {
  ReportGrid g = ScoreColumn({"1111111.11", "1111111.99"}, "");
  EXPECT_EQ(NeededColumnWidth(g, 1), Width("1111111.99") + kFitPaddingX);
  ReportGrid styled = ScoreColumn({"149985.5", "149985.5"}, "");
  styled.Range(2, 1, 2, 1).SetFontBold(true);
  Font bold = kNine;
  bold.bold = true;
  EXPECT_EQ(NeededColumnWidth(styled, 1), kMeasurer.TextWidth("149985.5", bold) + kFitPaddingX);
}

// Ids and names are nearly all distinct, so the fitter stops remembering
// them and measures each as it comes: the widest, however late, still counts.
TEST(NeededColumnWidth, FindsTheWidestOfNearlyDistinctTexts) {
  std::vector<std::string> ids;
  for (int i = 0; i < 20000; ++i) ids.push_back(std::to_string(2026000000 + i));
  ids[19990] = "2026000000X";
  EXPECT_EQ(NeededColumnWidth(ScoreColumn(ids, ""), 1), Width("2026000000X") + kFitPaddingX);
}

// The layouts fit their first columns before the headers wrap, then widen
// every column naming those as fitted: only their headers are measured
// again, and the widths must be those of measuring everything.
TEST(WidenToFit, ColumnsFittedBeforeTheirHeadersWrapEndAsIfMeasuredAgain) {
  struct Case {
    const char* header;
    const char* body;
    const char* why;
  };
  const Case cases[] = {
      {"学校", "第一实验中学", "the body is wider than the header"},
      {"语文成绩统计表平均", "87.5", "the header is wider, and wrapped on two lines narrower"},
      {"149985.5", "1", "a header of one unbreakable run"},
      {"", "", "nothing to show"},
  };
  for (const Case& c : cases) {
    ReportGrid once(1, 3);
    once.SetCellText(0, 1, c.header);
    once.AddItem(std::string("\t") + c.body + "\t语文");
    once.SetRowHeight(0, 32);
    ReportGrid twice = once;
    for (ReportGrid* g : {&once, &twice}) {
      g->AutoFit(1);
      g->Cell(0, 1).SetWrapText(true);
    }
    WidenToFit(once, {1});
    WidenToFit(twice);
    EXPECT_EQ(once.ColWidth(1), twice.ColWidth(1)) << c.why;
    for (int r = 0; r < once.Rows(); ++r) EXPECT_EQ(once.RowHeight(r), twice.RowHeight(r)) << c.why;
  }
}

// Rows are measured a column at a time: a merged cell still leaves its rows
// alone, the cells beside it still count, and a row shows its number.
TEST(WidenToFit, RowsTakeTheirTallestUnmergedCell) {
  ReportGrid g(1, 4);
  g.SetDisplayRowIndex(true);
  g.AddItem("\t合并\t\t1");
  g.AddItem("\t\t\t2");
  g.AddItem("");
  g.Cell(1, 1).SetFontSize(24);
  g.Range(1, 1, 2, 2).Merge();
  g.Cell(2, 3).SetFontSize(18);
  WidenToFit(g);
  Font big;
  big.size = 18;
  EXPECT_EQ(g.RowHeight(1), kDefaultRowHeight);  // only the merge is large
  EXPECT_EQ(g.RowHeight(2), kMeasurer.LineHeight(big) + kFitPaddingY);
  EXPECT_EQ(g.RowHeight(3), kDefaultRowHeight);  // its number alone, 9 pt
}

// A long grid is fitted on two threads, each taking the next column not
// yet taken, and the second half of the rows on the second: the widths and
// heights must be what measuring each column and row alone gives, and
// fitting several columns at once what fitting each alone gives.
TEST(WidenToFit, ALongGridFitsAsEachColumnAndRowAlone) {
  constexpr int kRows = 25000;
  ReportGrid g(kRows, 5);
  for (int r = 1; r < kRows; ++r)
    for (int c = 1; c < 5; ++c) g.SetCellText(r, c, std::to_string(r % (100 * c)));
  g.SetCellText(kRows - 3, 3, "语文成绩统计表");  // the widest, late, on the second thread
  g.SetCellText(2, 4, "149985.5");
  g.Cell(kRows - 7, 2).SetFontSize(24);
  std::vector<int> widths;
  for (int c = 0; c < g.Cols(); ++c)
    widths.push_back(std::max(g.ColWidth(c), NeededColumnWidth(g, c)));
  ReportGrid fitted = g;
  WidenToFit(fitted);
  for (int c = 0; c < g.Cols(); ++c)
    EXPECT_EQ(fitted.ColWidth(c), widths[static_cast<std::size_t>(c)]) << c;
  for (int r : {0, 1, 2, kRows / 2, kRows / 2 + 1, kRows - 7, kRows - 1})
    EXPECT_EQ(fitted.RowHeight(r), std::max(g.RowHeight(r), NeededRowHeight(fitted, r))) << r;
  EXPECT_GT(fitted.RowHeight(kRows - 7), kDefaultRowHeight);
  ReportGrid together = g;
  together.AutoFit({4, 1, 3});
  for (int c = 0; c < g.Cols(); ++c)
    EXPECT_EQ(together.ColWidth(c), c == 0 || c == 2 ? g.ColWidth(c) : NeededColumnWidth(g, c))
        << c;
}

TEST(WidenToFit, WidensAndHeightensButNeverNarrowsOrUnhides) {
  ReportGrid g(1, 5);
  g.AddItem("\t149985.5\t1\t语文成绩统计表\t2");
  g.SetColWidth(1, 38);   // too narrow for 149985.5
  g.SetColWidth(2, 200);  // wider than "1" needs: a minimum, kept
  g.SetColWidth(3, 0);    // hidden
  g.SetRowHeight(0, 32);
  g.SetCellText(0, 4, "主科总分平均");
  g.Cell(0, 4).SetWrapText(true);
  g.Cell(1, 4).SetFontSize(24);
  WidenToFit(g);
  EXPECT_EQ(g.ColWidth(1), Width("149985.5") + kFitPaddingX);
  EXPECT_EQ(g.ColWidth(2), 200);
  EXPECT_EQ(g.ColWidth(3), 0);
  // Two header lines of 18 px (1.45 em) do not fit in 32 px.
  EXPECT_EQ(g.RowHeight(0), 2 * kMeasurer.LineHeight(kNine) + kFitPaddingY);
  // 24 pt is 32 px an em: the row grows for it.
  Font big;
  big.size = 24;
  EXPECT_EQ(g.RowHeight(1), kMeasurer.LineHeight(big) + kFitPaddingY);
  // Fitted, a second pass changes nothing.
  const ReportGrid fitted = g;
  WidenToFit(g);
  for (int c = 0; c < g.Cols(); ++c) EXPECT_EQ(g.ColWidth(c), fitted.ColWidth(c));
  for (int r = 0; r < g.Rows(); ++r) EXPECT_EQ(g.RowHeight(r), fitted.RowHeight(r));
}

}  // namespace
}  // namespace grid
