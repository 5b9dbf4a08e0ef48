// The page setup's automatic choices when a report is built. A4 with the
// reports' 1 cm side margins leaves 190 mm (718 px) between the margins in
// portrait and 277 mm (1047 px) in landscape.
#include "output/paper_fit.h"

#include <gtest/gtest.h>

#include "output/report_layout.h"

namespace {

using Headers = std::vector<std::string>;

grid::ReportGrid WithHeaders(const Headers& headers) {
  grid::ReportGrid g(3, static_cast<int>(headers.size()) + 1);
  for (std::size_t c = 0; c < headers.size(); ++c)
    g.SetCellText(0, static_cast<int>(c) + 1, headers[c]);
  return g;
}

TEST(IdentifyingColumnCount, UpToTheLastKeyHeaderAmongTheFirstColumns) {
  struct Case {
    Headers headers;
    int count;
    const char* why;
  };
  const Case cases[] = {
      {{"学校", "学号", "班级", "姓名", "语文", "段名"}, 5, "a listing: columns 0..4"},
      {{"学校", "班级", "参考人数", "平均分"}, 3, "a class statistics report"},
      {{"姓名", "语文"}, 2, "a name alone"},
      {{"科目", "参考人数", "平均分"}, 2, "no key header: the first column"},
      {{"学校", "a", "b", "c", "d", "e", "姓名"},
       2,
       "a 姓名 after six columns is not part of the row's key"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(output::IdentifyingColumnCount(WithHeaders(c.headers)), c.count) << c.why;
  EXPECT_EQ(output::IdentifyingColumnCount(grid::ReportGrid(2, 1)), 1);  // nothing but row numbers
}

// A report whose printed columns are `width` px wide in all, laid out on the
// reports' page.
grid::ReportGrid OfWidth(int width, int orientation = grid::kPortrait) {
  grid::ReportGrid g = WithHeaders({"学校", "成绩"});
  g.SetColWidth(1, 60);
  g.SetColWidth(2, width - 60);
  output::SetUpReportPage(g, orientation, 1);
  return g;
}

using output::FitPreference;

TEST(FitReportToPaper, TurnsOrShrinksButNeverBelowEightyPercent) {
  struct Case {
    int width;
    FitPreference preference;
    int orientation;
    int zoom;
    const char* why;
  };
  constexpr int P = grid::kPortrait;
  constexpr int L = grid::kLandscape;
  constexpr FitPreference kTurn = FitPreference::kTurnFirst;
  constexpr FitPreference kShrink = FitPreference::kShrinkFirst;
  const Case cases[] = {
      {718, kTurn, P, 100, "fits portrait (718.1 px)"},
      {718, kShrink, P, 100, "fits portrait"},
      {719, kTurn, L, 100, "a pixel too wide for portrait: a statistics report turns"},
      {850, kShrink, P, 84, "a listing shrinks instead: 718.1 / 850 = 84.5 %"},
      {897, kShrink, P, 80, "718.1 / 897 = 80.06 %"},
      {898, kShrink, L, 100, "portrait would need 79.97 %: the listing turns after all"},
      {1046, kTurn, L, 100, "fits landscape (1046.9 px)"},
      {1200, kTurn, L, 87, "1046.9 / 1200 = 87.2 %"},
      {1200, kShrink, L, 87, "the same once turned"},
      {1308, kTurn, L, 80, "1046.9 / 1308 = 80.04 %"},
      {1310, kTurn, L, 100, "would need 79.9 %: full size, over two bands of pages"},
  };
  for (const Case& c : cases) {
    grid::ReportGrid g = OfWidth(c.width);
    output::FitReportToPaper(g, c.preference);
    EXPECT_EQ(g.PageSetup().orientation, c.orientation) << c.width << ": " << c.why;
    EXPECT_EQ(g.PageSetup().zoom, c.zoom) << c.width << ": " << c.why;
  }
}

TEST(FitReportToPaper, KeepsALandscapeLayoutAndRepeatsTheKeyColumns) {
  // The statistics layout's own rule made it landscape; fitting keeps that.
  grid::ReportGrid g = OfWidth(300, grid::kLandscape);
  output::FitReportToPaper(g, FitPreference::kTurnFirst);
  EXPECT_EQ(g.PageSetup().orientation, grid::kLandscape);
  EXPECT_EQ(g.PageSetup().print_title_columns, 2);  // row numbers and 学校
  // Fitting twice changes nothing: a report fits again after its last change.
  const grid::PageSettings once = g.PageSetup();
  output::FitReportToPaper(g, FitPreference::kTurnFirst);
  EXPECT_EQ(g.PageSetup(), once);
}

}  // namespace
