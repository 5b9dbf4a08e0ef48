#include <gtest/gtest.h>

#include "grid/grid_error.h"
#include "grid/report_grid.h"

namespace grid {
namespace {

// A grid whose column 1 holds `keys` and column 2 each row's original position.
ReportGrid KeyGrid(const std::vector<std::string>& keys) {
  ReportGrid g(1, 3);
  g.SetCellText(0, 1, "key");
  for (std::size_t i = 0; i < keys.size(); ++i)
    g.AddItem("\t" + keys[i] + "\t" + std::to_string(i));
  return g;
}

std::vector<std::string> Column(const ReportGrid& g, int col) {
  std::vector<std::string> out;
  for (int r = 1; r < g.Rows(); ++r) out.emplace_back(g.CellText(r, col));
  return out;
}

TEST(GridSort, NumbersBeforeTextsEmptiesLastBothWays) {
  // 9.5000009 and 9.5000001 differ only past their eighth byte.
  const std::vector<std::string> keys = {"b",  "10", "", "9",   "9.5000009", "a",        "1e1",
                                         "-2", "B",  "", "9.5", "甲",        "9.5000001"};
  struct Case {
    bool ascending;
    std::vector<std::string> expected;
  };
  for (const Case& c : {Case{true,
                             {"-2", "9", "9.5", "9.5000001", "9.5000009", "10", "1e1", "B", "a",
                              "b", "甲", "", ""}},
                        Case{false,
                             {"甲", "b", "a", "B", "10", "1e1", "9.5000009", "9.5000001", "9.5",
                              "9", "-2", "", ""}}}) {
    ReportGrid g = KeyGrid(keys);
    g.Sort(1, c.ascending);
    EXPECT_EQ(Column(g, 1), c.expected) << (c.ascending ? "ascending" : "descending");
    EXPECT_EQ(g.CellText(0, 1), "key");
  }
}

TEST(GridSort, EqualKeysKeepTheirOrderInBothDirections) {
  ReportGrid g = KeyGrid({"80", "90", "80", "90.0", "80", ""});
  g.Sort(1, false);
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"1", "3", "0", "2", "4", "5"}));
  g.Sort(1, true);
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"0", "2", "4", "1", "3", "5"}));
}

// A sort on several columns must leave what sorting on each alone, the
// last first, leaves (the listings group by school and class that way):
// keys that tie as numbers but not as texts, empty cells, texts among
// numbers, every pair of directions.
TEST(GridSort, SeveralColumnsAtOnceAsOneAfterAnother) {
  const std::vector<std::vector<std::string>> rows = {
      {"乙校", "2", "80"}, {"甲校", "10", "90"},  {"", "2", "80.0"},      {"乙校", "2", ""},
      {"甲校", "2", "90"}, {"甲校", "", "95"},    {"乙校", "1班", "80"},  {"甲校", "10", "缺考"},
      {"", "1班", "70"},   {"乙校", "2.0", "80"}, {"甲校", "10", "90.0"}, {"乙校", "1班", "85"}};
  ReportGrid base(1, 5);
  for (std::size_t i = 0; i < rows.size(); ++i)
    base.AddItem("\t" + rows[i][0] + "\t" + rows[i][1] + "\t" + rows[i][2] + "\t" +
                 std::to_string(i));
  for (bool first_up : {true, false}) {
    for (bool second_up : {true, false}) {
      for (bool third_up : {true, false}) {
        ReportGrid once = base;
        once.Sort({{1, first_up}, {2, second_up}, {3, third_up}});
        ReportGrid each = base;
        each.Sort(3, third_up);
        each.Sort(2, second_up);
        each.Sort(1, first_up);
        EXPECT_EQ(Column(once, 4), Column(each, 4)) << first_up << second_up << third_up;
      }
    }
  }
}

// Rows are counted into place when their keys take few values together,
// and sorted by word otherwise (two keys of hundreds of values each, three
// keys): every way must keep equal rows in order, so a sort on several
// columns still leaves what the single sorts leave.
TEST(GridSort, ManyDistinctKeysSortAsFewDo) {
  ReportGrid base(1, 5);
  for (int i = 0; i < 1200; ++i) {
    const int a = (i * 37) % 401;
    const std::string b =
        (i % 3 == 0 ? std::to_string((i * 13) % 397) + ".0" : std::to_string((i * 13) % 397));
    base.AddItem("\t" + std::to_string(a) + "\t" + b + "\t" + (i % 5 == 0 ? "" : "x") + "\t" +
                 std::to_string(i));
  }
  const std::vector<std::vector<SortColumn>> key_sets = {
      {{1, false}}, {{1, true}, {2, false}}, {{3, true}, {1, false}, {2, true}}};
  for (const std::vector<SortColumn>& keys : key_sets) {
    ReportGrid once = base;
    once.Sort(keys);
    ReportGrid each = base;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) each.Sort(key->col, key->ascending);
    EXPECT_EQ(Column(once, 4), Column(each, 4)) << keys.size() << " keys";
  }
}

// The listings rank rows in a sorted order without moving them, sort that
// order again and move the rows once: the orders must be the sorts' own.
TEST(GridSort, OrdersWithoutMovingAreTheSortsOwn) {
  const ReportGrid base = KeyGrid({"80", "90", "", "90.0", "b", "80", "70"});
  ReportGrid moved = base;
  moved.Sort(1, false);
  const std::vector<std::uint32_t> by_key = base.SortOrder({{1, false}});
  ReportGrid reordered = base;
  reordered.ReorderRows(by_key);
  EXPECT_EQ(Column(reordered, 2), Column(moved, 2));
  // From that order, a second sort as if the rows stood there.
  moved.Sort(2, true);
  reordered = base;
  reordered.ReorderRows(base.SortOrder({{2, true}}, by_key));
  EXPECT_EQ(Column(reordered, 2), Column(moved, 2));
  // Anything but every data row once is refused, and the rows stay.
  for (const std::vector<std::uint32_t>& bad : std::vector<std::vector<std::uint32_t>>{
           {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5, 5, 6}, {0, 1, 2, 3, 4, 5, 9, 6}}) {
    reordered = base;
    EXPECT_THROW(reordered.ReorderRows(bad), GridError);
    EXPECT_EQ(Column(reordered, 2), Column(base, 2));
  }
}

TEST(GridSort, FixedRowsStayAndStylesTravelWithTheirRows) {
  ReportGrid g = KeyGrid({"合计", "3", "1", "2"});
  g.SetFixedRows(2);
  g.Range(2, 1, 2, 2).SetFontBold(true);  // the row holding "3"
  g.Cell(2, 0).SetTag("U");
  g.Sort(1, true);
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"合计", "1", "2", "3"}));
  EXPECT_TRUE(g.CellStyleAt(4, 1).bold);
  EXPECT_EQ(g.CellTag(4, 0), "U");
  EXPECT_FALSE(g.CellStyleAt(2, 1).bold);
}

}  // namespace
}  // namespace grid
