#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "app_fixture.h"

namespace app_test {
namespace {

class GridViewTest : public testing::Test {
 protected:
  void SetUp() override {
    grid.SetCellText(0, 1, "语文");
    view.SetGrid(&grid);
    view.resize(500, 300);
    view.show();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(&view, key, mods); }

  grid::ReportGrid grid{30, 6};
  app::GridView view;
};

TEST_F(GridViewTest, LockedAndFixedCellsRefuseEditing) {
  grid.Range(2, 2, 2, 2).SetLocked(true);
  grid.SetActiveCell(2, 2);
  EXPECT_FALSE(view.BeginEdit(QString(), false));
  EXPECT_FALSE(view.CanEdit(0, 1));
  EXPECT_FALSE(view.CanEdit(1, 0));
  QTest::keyClicks(&view, QStringLiteral("9"));
  EXPECT_FALSE(view.IsEditing());
  EXPECT_EQ(grid.CellText(2, 2), "");
}

TEST_F(GridViewTest, NumberMaskTakesNumbersOnly) {
  grid.SetColMask(1, grid::kMaskNumber);
  grid.SetActiveCell(1, 1);
  QTest::keyClicks(&view, QStringLiteral("x"));  // a letter does not start an edit
  EXPECT_FALSE(view.IsEditing());
  QTest::keyClicks(&view, QStringLiteral("8"));
  ASSERT_TRUE(view.IsEditing());
  view.Editor()->insert(QStringLiteral("5分"));
  EXPECT_FALSE(view.CommitEdit());  // "85分" is refused, the editor stays open
  EXPECT_TRUE(view.IsEditing());
  view.Editor()->setText(QStringLiteral("85.5"));
  QTest::keyClick(view.Editor(), Qt::Key_Return);
  EXPECT_FALSE(view.IsEditing());
  EXPECT_EQ(grid.CellText(1, 1), "85.5");
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(2, 1));  // Enter moves down
}

TEST_F(GridViewTest, EscapeKeepsTheOldText) {
  grid.SetCellText(1, 2, "张三");
  grid.SetActiveCell(1, 2);
  Key(Qt::Key_F2);
  ASSERT_TRUE(view.IsEditing());
  view.Editor()->setText(QStringLiteral("李四"));
  QTest::keyClick(view.Editor(), Qt::Key_Escape);
  EXPECT_EQ(grid.CellText(1, 2), "张三");
}

TEST_F(GridViewTest, AMillionRowsScrollToTheEnd) {
  grid.SetRows(1'000'000);
  grid.SetCellText(999'999, 1, "last");
  grid.SetActiveCell(1, 1);
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.ActiveCellPosition().first, 999'999);
  const QRect cell = view.CellRect(999'999, 1);
  EXPECT_TRUE(view.viewport()->rect().contains(cell.center()));
  EXPECT_EQ(view.CellAt(cell.center()), std::make_pair(999'999, 1));
  // The fixed header row stays on top while scrolled.
  EXPECT_EQ(view.CellAt(view.CellRect(0, 1).center()), std::make_pair(0, 1));
  QPixmap shot = view.grab();  // paints only the visible rows
  EXPECT_FALSE(shot.isNull());
}

}  // namespace
}  // namespace app_test
