#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "app/page_setup_dialog.h"
#include "app/page_setup_dialog_model.h"
#include "grid/report_grid.h"

namespace app_test {
namespace {

template <typename T>
T* Find(QWidget& dialog, const char* name) {
  T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Settings unlike the defaults in every field, several outside the usual
// ranges of the editors.
grid::PageSettings Unusual() {
  grid::PageSettings p;
  p.orientation = grid::kLandscape;
  p.paper_width = 100;  // no listed paper: the user-defined entry
  p.paper_height = 150.5;
  p.zoom = 85;
  p.left_margin = 1.2;
  p.right_margin = 3.5;  // above the list
  p.top_margin = 0.5;    // below the list
  p.bottom_margin = 2.7;
  p.header_margin = 0.8;
  p.footer_margin = 1.0;
  p.black_and_white = true;
  p.print_fixed_row = false;
  p.print_fixed_column = true;
  p.print_gridlines = false;
  p.print_title_rows = 25;
  p.print_title_columns = 3;
  p.print_bottom_title_rows = 1;
  p.center_horizontally = true;
  p.center_vertically = true;
  p.header = {"第&p页", 2, {"Arial", 12, true, true, true, true}};
  p.footer = {"共&n页  第&p页", 0, {"黑体", 10.5, false, false, false, false}};
  return p;
}

grid::PageSettings A3Portrait() {
  grid::PageSettings p;
  p.paper_width = 297;
  p.paper_height = 420;
  p.print_title_rows = 2;
  p.footer.text = "共&n页  第&p页";
  return p;
}

TEST(PageSetupDialogTest, OkWithoutChangesKeepsEverySetting) {
  for (const grid::PageSettings& setup : {grid::PageSettings{}, Unusual(), A3Portrait()}) {
    grid::ReportGrid g(5, 5);
    g.PageSetup() = setup;
    app::PageSetupDialog dialog;
    dialog.SetGrid(g);
    Find<QPushButton>(dialog, "mnn")->click();
    EXPECT_EQ(g.PageSetup(), setup) << setup.paper_width << " x " << setup.paper_height;
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

// Changes every control the way a user would.
void ChangeEverything(QWidget& dialog) {
  Find<QRadioButton>(dialog, "optLandscape")->setChecked(true);
  Find<QComboBox>(dialog, "cboPaperSize")->setCurrentIndex(1);  // A3
  Find<QSpinBox>(dialog, "txtZoom")->setValue(150);
  Find<QSpinBox>(dialog, "txtPrintTitleRows")->setValue(4);
  Find<QSpinBox>(dialog, "txtPrintTitleColumns")->setValue(2);
  Find<QSpinBox>(dialog, "txtPrintBottomTitleRows")->setValue(1);
  for (const char* name : {"chkPrintFixedRow", "chkPrintFixedColumn", "chkPrintGridlines",
                           "chkBlackAndWhite", "chkCenterHorizontally", "chkCenterVertically"})
    Find<QCheckBox>(dialog, name)->toggle();
  for (const char* name : {"txtTopMargin", "txtBottomMargin", "txtLeftMargin", "txtRightMargin",
                           "txtHeaderMargin", "txtFooterMargin"})
    Find<QDoubleSpinBox>(dialog, name)->setValue(1.3);
  Find<QLineEdit>(dialog, "txtHeader")->setText(QStringLiteral("期中考试"));
  Find<QLineEdit>(dialog, "txtFooter")->setText(QStringLiteral("第&p页"));
  Find<QComboBox>(dialog, "cboHeaderAlign")->setCurrentIndex(0);
  Find<QComboBox>(dialog, "cboFooterAlign")->setCurrentIndex(2);
}

TEST(PageSetupDialogTest, CancelWritesNothingAndOkWritesEveryChange) {
  const grid::PageSettings before = A3Portrait();
  grid::ReportGrid g(5, 5);
  g.PageSetup() = before;
  {
    app::PageSetupDialog dialog;
    dialog.SetGrid(g);
    ChangeEverything(dialog);
    Find<QPushButton>(dialog, "cmdCancel")->click();
    EXPECT_EQ(g.PageSetup(), before);
  }
  app::PageSetupDialog dialog;
  dialog.SetGrid(g);
  ChangeEverything(dialog);
  Find<QPushButton>(dialog, "mnn")->click();
  grid::PageSettings expected = before;
  expected.orientation = grid::kLandscape;
  expected.zoom = 150;
  expected.print_title_rows = 4;
  expected.print_title_columns = 2;
  expected.print_bottom_title_rows = 1;
  for (bool* flag :
       {&expected.print_fixed_row, &expected.print_fixed_column, &expected.print_gridlines,
        &expected.black_and_white, &expected.center_horizontally, &expected.center_vertically})
    *flag = !*flag;
  for (double* m : {&expected.top_margin, &expected.bottom_margin, &expected.left_margin,
                    &expected.right_margin, &expected.header_margin, &expected.footer_margin})
    *m = 1.3;
  expected.header.text = "期中考试";
  expected.header.alignment = 0;
  expected.footer.text = "第&p页";
  expected.footer.alignment = 2;
  EXPECT_EQ(g.PageSetup(), expected);
}

TEST(PageSetupDialogTest, EmptyUserDefinedSizeKeepsThePaper) {
  grid::PageSettings page = A3Portrait();
  app::PageSetupForm form = app::LoadPageSetupForm(page);
  app::ChoosePaper(form, static_cast<int>(form.paper_names.size()) - 1, page);
  form.paper_width.clear();
  app::StorePageSetupForm(form, page);
  EXPECT_EQ(page.paper_width, 297);
  EXPECT_EQ(page.paper_height, 420);
}

}  // namespace
}  // namespace app_test
