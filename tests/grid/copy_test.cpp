// Copies of a grid: a copy is the same report, whatever state the grid is in,
// and the wiring of a grid object (observers, AutoRedraw, services) never
// travels with its contents.
#include <gtest/gtest.h>

#include <functional>

#include "grid/content_fit.h"
#include "grid/report_grid.h"

namespace grid {
namespace {

// A small ranked listing, as the reports leave one: headers, a totals row
// kept out of sorts, scores, and a trailing empty row.
ReportGrid Listing() {
  ReportGrid g(1, 4);
  g.SetCellText(0, 1, "姓名");
  g.SetCellText(0, 2, "语文");
  g.SetCellText(0, 3, "名次");
  for (const char* line : {"\t合计\t255\t", "\t甲\t90\t1", "\t乙\t80\t3", "\t丙\t85\t2"})
    g.AddItem(line);
  g.AddItem("");
  g.SetFixedRows(2);
  return g;
}

std::vector<std::string> Column(const ReportGrid& g, int col) {
  std::vector<std::string> out;
  for (int r = 0; r < g.Rows(); ++r) out.push_back(g.DisplayText(r, col));
  return out;
}

struct State {
  const char* name;
  std::function<void(ReportGrid&)> reach;
};

// Every kind of state a grid keeps, one at a time: a copy that drops any of
// them shows or prints a different report.
const std::vector<State>& States() {
  static const std::vector<State> states = {
      {"new", [](ReportGrid&) {}},
      {"styled cells",
       [](ReportGrid& g) {
         g.Range(1, 1, 2, 3).Select();
         g.Selection().SetFontBold(true);
         g.Selection().SetBorders(0, 1);
         g.Cell(2, 2).SetTag("U");
       }},
      {"columns and rows",
       [](ReportGrid& g) {
         g.Column(2).SetFormatString("0.00");
         g.Column(3).SetWidth(0);
         g.Column(1).SetAlignment(kAlignCenter);
         g.Column(2).SetMask(kMaskNumber);
         g.SetRowHeight(1, 32);
         g.SetDisplayRowIndex(true);
       }},
      {"merges and selection",
       [](ReportGrid& g) {
         g.Range(0, 2, 0, 3).Merge();
         g.Range(2, 1, 4, 2).Select();
         g.SetActiveCell(3, 2);
       }},
      {"user sort part way",
       [](ReportGrid& g) {
         g.SetAllowUserSort(true);
         g.UserSort(2);
       }},
      {"titles, page setup and font",
       [](ReportGrid& g) {
         g.ReportTitles().Add("一中||2024-06-01", "Arial", 10).print_on_all_pages = false;
         g.PageSetup().orientation = kLandscape;
         g.PageSetup().left_margin = 1.5;
         g.SetDefaultFontSize(11);
         g.SetFixedCols(2);
       }},
  };
  return states;
}

TEST(GridCopy, EveryWayOfCopyingGivesTheSameReportInEveryState) {
  for (const State& state : States()) {
    SCOPED_TRACE(state.name);
    ReportGrid g = Listing();
    state.reach(g);
    const ReportGrid constructed = g;
    ReportGrid assigned(3, 3);
    assigned.SetCellText(2, 2, "旧");
    assigned = g;
    ReportGrid scratch = g;
    const ReportGrid moved = std::move(scratch);
    ReportGrid move_assigned;
    ReportGrid source = g;
    move_assigned = std::move(source);
    for (const ReportGrid* copy : std::initializer_list<const ReportGrid*>{
             &constructed, &assigned, &moved, &move_assigned}) {
      EXPECT_TRUE(copy->Contents() == g.Contents());
      EXPECT_EQ(Column(*copy, 2), Column(g, 2));
      EXPECT_EQ(copy->SelectionRect(), g.SelectionRect());
    }
  }
}

// Regression: the copy constructor listed its members by hand and left out
// the user-sort state, so a header double-click on the copy sorted ascending
// again where the original reversed its order.
TEST(GridCopy, ACopyReversesAUserSortLikeTheOriginal) {
  ReportGrid g = Listing();
  g.SetAllowUserSort(true);
  g.UserSort(2);  // ascending: 乙 80, 丙 85, 甲 90
  ReportGrid copy = g;
  ReportGrid assigned;
  assigned = g;
  g.UserSort(2);
  copy.UserSort(2);
  assigned.UserSort(2);
  // Descending now; the totals row (a fixed row) and the empty row stay put.
  const std::vector<std::string> expected = {"语文", "255", "90", "85", "80", ""};
  EXPECT_EQ(Column(g, 2), expected);
  EXPECT_EQ(Column(copy, 2), expected);
  EXPECT_EQ(Column(assigned, 2), expected);
}

class RecordingClipboard : public Clipboard {
 public:
  std::string Text() const override { return text; }
  void SetText(const std::string& t) override { text = t; }
  std::string text;
};

class WideMeasurer : public TextMeasurer {
 public:
  int TextWidth(std::string_view, const Font&) const override { return 500; }
};

// A window's grid is wired to the system clipboard, the screen's fonts and
// its view. A copy made of it (for a preview, a new window, an undo step)
// must not write to that clipboard or repaint that view; a report assigned
// into it must not unwire it.
TEST(GridCopy, WiringStaysWithTheGridObject) {
  auto clipboard = std::make_shared<RecordingClipboard>();
  ReportGrid window = Listing();
  window.SetClipboard(clipboard);
  window.SetMeasurer(std::make_shared<WideMeasurer>());
  std::vector<GridChange> heard;
  window.Subscribe([&](GridChange c) { heard.push_back(c); });

  ReportGrid copy = window;
  ReportGrid default_then_assigned;
  default_then_assigned = window;
  for (ReportGrid* g : std::initializer_list<ReportGrid*>{&copy, &default_then_assigned}) {
    g->Range(1, 1, 1, 2).Select();
    g->Selection().CopyData();
    g->SetCellText(1, 1, "改");
    g->Column(1).AutoFit();
    EXPECT_TRUE(g->AutoRedraw());
    EXPECT_EQ(g->clipboard().Text(), "合计\t255");  // its own in-memory clipboard
    EXPECT_LT(g->ColWidth(1), 500);                 // the estimate, not the window's fonts
  }
  EXPECT_EQ(clipboard->text, "");
  EXPECT_TRUE(heard.empty());

  ReportGrid report(3, 3);
  report.SetCellText(1, 1, "新报表");
  window.SetAutoRedraw(false);
  window = report;
  EXPECT_TRUE(heard.empty());  // held back while AutoRedraw is off
  window.SetAutoRedraw(true);
  EXPECT_EQ(heard, std::vector<GridChange>{GridChange::kAll});
  window.Range(1, 1, 1, 1).Select();
  window.Selection().CopyData();
  EXPECT_EQ(clipboard->text, "新报表");
  window.Column(1).AutoFit();
  EXPECT_EQ(window.ColWidth(1), 500 + kFitPaddingX);  // the window's measurer and padding
}

}  // namespace
}  // namespace grid
