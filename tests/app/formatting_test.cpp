#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "app_fixture.h"
#include "grid/content_fit.h"
#include "widgets/align_button.h"
#include "widgets/border_button.h"
#include "widgets/color_button.h"
#include "widgets/flat_combo_box.h"
#include "widgets/font_button.h"

namespace app_test {
namespace {

class FormattingTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    doc = NewReport(10, 6);
    doc->grid().Select({1, 1, 3, 3});
  }
  template <typename T>
  T* Control(const char* name) {
    return Window().findChild<T*>(QString::fromLatin1(name));
  }
  const grid::CellStyle& Style(int r, int c) { return doc->grid().CellStyleAt(r, c); }

  app::DocumentWindow* doc = nullptr;
};

TEST_F(FormattingTest, AlignmentItemsMapToTheGridCodes) {
  auto* button = Control<widgets::AlignButton>("AlignButton1");
  const int expected[9] = {5, 9, 13, 6, 10, 14, 7, 11, 15};
  for (int item = 0; item < 9; ++item) {
    button->Choose(item);
    EXPECT_EQ(Style(2, 2).alignment, expected[item]) << item;
  }
  // The face applies the last choice again.
  doc->grid().Select({5, 1, 5, 1});
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(Style(5, 1).alignment, 15);
}

TEST_F(FormattingTest, BorderItemsSetTheirEdges) {
  auto* button = Control<widgets::BorderButton>("BorderButton1");
  button->Choose(11);  // thick outline, thin inner lines
  EXPECT_EQ(Style(1, 1).borders[grid::kEdgeLeft], grid::kLineThick);
  EXPECT_EQ(Style(1, 1).borders[grid::kEdgeRight], grid::kLineThin);
  EXPECT_EQ(Style(3, 3).borders[grid::kEdgeBottom], grid::kLineThick);
  button->Choose(5);
  EXPECT_EQ(Style(2, 2).borders[grid::kEdgeDiagonalDown], grid::kLineThin);
  button->Choose(0);  // clears all eight edges
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 3; ++c) {
      for (std::uint8_t line : Style(r, c).borders) EXPECT_EQ(line, 0) << r << "," << c;
    }
  }
  EXPECT_TRUE(doc->grid().AutoRedraw());
}

TEST_F(FormattingTest, BoldFollowsTheActiveCell) {
  auto* fonts = Control<widgets::FontButton>("FontButton1");
  QTest::mouseClick(fonts, Qt::LeftButton, {}, fonts->ButtonRect(0).center());
  EXPECT_TRUE(Style(3, 3).bold);
  EXPECT_TRUE(fonts->State(0));  // the bar shows the active cell
  doc->grid().Range(3, 3, 3, 3).SetFontBold(false);
  doc->grid().Select({1, 1, 3, 3});
  emit fonts->Click(0);  // active cell bold: the whole selection loses it
  EXPECT_FALSE(Style(1, 1).bold);
  EXPECT_FALSE(Style(3, 3).bold);
}

TEST_F(FormattingTest, FontBoxesAndColoursApplyToTheSelection) {
  auto* size = Control<widgets::FlatComboBox>("cboFontSize");
  size->ChooseItem(size->findText(QStringLiteral("14")));
  EXPECT_EQ(Style(2, 2).font_size, 14);
  auto* name = Control<widgets::FlatComboBox>("cboFontName");
  name->ChooseItem(name->findText(QStringLiteral("Arial")));
  EXPECT_EQ(Style(2, 2).font_name, "Arial");
  Control<widgets::ColorButton>("ColorButton1")->ChoosePaletteCell(1, 0);
  EXPECT_EQ(Style(2, 2).back_color, 0x993300u);
  Control<widgets::ColorButton>("ColorButton2")->ChoosePaletteCell(0, 2);
  EXPECT_EQ(Style(2, 2).fore_color, 0xFF0000u);
  EXPECT_EQ(Style(5, 5).back_color, grid::kWhite);
}

TEST_F(FormattingTest, FontSizeCommandsStopSilentlyAtTheGridsLimit) {
  Trigger("zdsize");
  EXPECT_EQ(doc->grid().DefaultFont().size, 10);
  for (int i = 0; i < 15; ++i) Trigger("jxsize");
  EXPECT_GE(doc->grid().DefaultFont().size, 1);
  EXPECT_TRUE(services.messages.empty());
}

// 增大字体 once cut the 合计 figure 149985.5 to "49985.5" in its 38-px column:
// the larger type now widens the column to fit, and never narrows another.
TEST_F(FormattingTest, LargerFontWidensColumnsToFit) {
  grid::ReportGrid& g = doc->grid();
  g.SetCellText(1, 1, "149985.5");
  g.SetColWidth(1, 38);
  g.SetColWidth(2, 300);
  Trigger("zdsize");
  EXPECT_GT(g.ColWidth(1), 38);
  EXPECT_EQ(g.ColWidth(1), grid::NeededColumnWidth(g, 1));
  EXPECT_EQ(g.ColWidth(2), 300);
}

TEST_F(FormattingTest, EditMenuActsOnTheSelection) {
  grid::ReportGrid& g = doc->grid();
  g.SetCellText(1, 1, "85");
  g.SetCellText(1, 2, "90");
  g.Select({1, 1, 1, 2});
  Trigger("mnuCopy");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("85\t90"));
  g.Select({4, 1, 4, 1});
  Trigger("mnuPaste");
  EXPECT_EQ(g.CellText(4, 2), "90");
  g.Select({1, 1, 2, 2});
  Trigger("mnuMerge");
  EXPECT_TRUE(g.MergeAt(2, 2).has_value());
  Trigger("mnuUnMerge");
  EXPECT_FALSE(g.MergeAt(2, 2).has_value());
  g.SetRowHeight(2, 0);
  g.Select({1, 1, 3, 1});
  Trigger("mnuHideRows");
  EXPECT_EQ(g.RowHeight(1) + g.RowHeight(2) + g.RowHeight(3), 0);
  Trigger("mnuLockCell");
  EXPECT_TRUE(g.CellStyleAt(3, 1).locked);
  EXPECT_FALSE(doc->gridView()->CanEdit(3, 1));
  Trigger("mnuCancelLockCell");
  EXPECT_TRUE(doc->gridView()->CanEdit(3, 1));
}

TEST(ColorButtonTest, PaletteIsColumnMajorAndArrowOpensTheList) {
  // Column-major: (1, 0) is the second column's top, as the chosen colours
  // of FontBoxesAndColoursApplyToTheSelection show.
  EXPECT_EQ(widgets::ColorButton::PaletteColor(4, 4), QColor(0xCC, 0xFF, 0xFF));
  widgets::ColorButton button(1);
  button.show();
  int clicks = 0;
  QObject::connect(&button, &widgets::ColorButton::Click, [&clicks] { ++clicks; });
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(29, 10));
  EXPECT_EQ(clicks, 0);
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  popup->close();
}

}  // namespace
}  // namespace app_test
