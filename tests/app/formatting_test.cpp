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

}  // namespace
}  // namespace app_test
