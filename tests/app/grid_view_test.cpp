#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "app_fixture.h"
#include "grid/content_fit.h"

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

TEST_F(GridViewTest, KeyboardMovesAndExtendsTheSelection) {
  grid.SetActiveCell(1, 1);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectionRect(), (grid::CellRect{1, 1, 2, 2}));
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(1, 1));
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(29, 5));
  Key(Qt::Key_Home, Qt::ControlModifier);  // never into the fixed cells
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(1, 1));
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(grid.SelectionRect(), (grid::CellRect{1, 1, 29, 5}));
  grid.SetRowHeight(2, 0);
  grid.SetActiveCell(1, 1);
  Key(Qt::Key_Down);  // hidden rows are stepped over
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(3, 1));
}

TEST_F(GridViewTest, MouseSelectsCellsAndHeaderSelectsColumns) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(3, 2).center());
  EXPECT_EQ(grid.ActiveCellPosition(), std::make_pair(3, 2));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                    view.CellRect(5, 4).center());
  EXPECT_EQ(grid.SelectionRect(), (grid::CellRect{3, 2, 5, 4}));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(0, 3).center());
  EXPECT_EQ(grid.SelectionRect(), (grid::CellRect{1, 3, 29, 3}));
}

TEST_F(GridViewTest, HeaderDoubleClickSortsOnlyWhenAllowed) {
  grid.SetCellText(1, 1, "60");
  grid.SetCellText(2, 1, "95");
  grid.SetCellText(3, 1, "72");
  const QPoint header = view.CellRect(0, 1).center();
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, header);
  EXPECT_EQ(grid.CellText(1, 1), "60");
  grid.SetAllowUserSort(true);
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, header);
  EXPECT_EQ(grid.CellText(1, 1), "60");
  EXPECT_EQ(grid.CellText(3, 1), "95");
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, header);
  EXPECT_EQ(grid.CellText(1, 1), "95");
}

// ---- column widths and row heights by mouse

// A point on the border after column `col` in the header row.
QPoint ColumnBorder(const app::GridView& view, int col) {
  const QRect cell = view.CellRect(0, col);
  return QPoint(cell.right() + 1, cell.center().y());
}

TEST_F(GridViewTest, DraggingAHeaderBorderResizesTheColumnBeforeIt) {
  const int before = grid.ColWidth(2);
  const QPoint from = ColumnBorder(view, 2);
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(view.viewport(), from + QPoint(37, 0));
  EXPECT_EQ(grid.ColWidth(2), before);  // a guide line only, until released
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, from + QPoint(37, 0));
  EXPECT_EQ(grid.ColWidth(2), before + 37);
  EXPECT_EQ(grid.ColWidth(3), grid::kDefaultColWidth);
  // Not a click on the header: the selection did not become column 2.
  EXPECT_NE(grid.SelectionRect(), (grid::CellRect{1, 2, 29, 2}));
}

TEST_F(GridViewTest, DraggingARowBorderInTheRowHeadersResizesTheRow) {
  const QRect cell = view.CellRect(3, 0);
  const QPoint from(cell.center().x(), cell.bottom() + 1);
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(view.viewport(), from + QPoint(0, 15));
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, from + QPoint(0, 15));
  EXPECT_EQ(grid.RowHeight(3), grid::kDefaultRowHeight + 15);
  // Dragged above its top edge the row is hidden, not given a negative height.
  const QRect row4 = view.CellRect(4, 0);
  const QPoint border4(row4.center().x(), row4.bottom() + 1);
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, border4);
  QTest::mouseMove(view.viewport(), border4 - QPoint(0, 60));
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, border4 - QPoint(0, 60));
  EXPECT_EQ(grid.RowHeight(4), 0);
}

TEST_F(GridViewTest, DoubleClickingABorderFitsTheContents) {
  grid.SetCellText(5, 2, "149985.5 第一中学高一(12)班");
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, ColumnBorder(view, 2));
  const int fitted = grid.ColWidth(2);
  EXPECT_GT(fitted, grid::kDefaultColWidth);
  EXPECT_GE(fitted, grid.measurer().TextWidth(grid.CellText(5, 2), grid.CellFont(5, 2)));

  // A row fits the largest font in it.
  grid.Range(2, 3, 2, 3).SetFontSize(24);
  grid.SetCellText(2, 3, "总分");
  const QRect cell = view.CellRect(2, 0);
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {},
                     QPoint(cell.center().x(), cell.bottom() + 1));
  EXPECT_EQ(grid.RowHeight(2), grid::NeededRowHeight(grid, 2));
  EXPECT_GT(grid.RowHeight(2), 30);  // 24 points are 32 pixels
}

// With a column hidden, its border is the one of the visible column before:
// dragging there widens that column and does not reveal a zero-width one.
TEST_F(GridViewTest, HiddenColumnsShareTheBorderOfTheColumnBefore) {
  grid.SetColWidth(3, 0);
  EXPECT_EQ(view.BorderAt(ColumnBorder(view, 2))->index, 2);
  EXPECT_FALSE(view.BorderAt(view.CellRect(2, 2).center()));  // inside the cells: none
}

// Hiding the column that holds the cursor left a black bar where it was.
TEST_F(GridViewTest, AHiddenColumnLeavesNoCursorBar) {
  grid.SetActiveCell(2, 2);
  const int x = view.CellRect(2, 2).left();
  const int y = view.CellRect(2, 2).center().y();
  grid.SetColWidth(2, 0);
  const QImage shot = view.viewport()->grab().toImage();
  for (int dx = -2; dx <= 2; ++dx) EXPECT_NE(shot.pixelColor(x + dx, y), QColor(Qt::black)) << dx;
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
