// The formatting bar's reactions: each changes the active grid's selection
// and gives the focus back to the grid. Refusals by the grid end silently.
#include <functional>

#include "app/document_window.h"
#include "app/edit_commands.h"
#include "app/grid_view.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "common/text_number.h"
#include "grid/grid_error.h"
#include "widgets/align_button.h"
#include "widgets/border_button.h"
#include "widgets/color_button.h"
#include "widgets/flat_combo_box.h"
#include "widgets/font_button.h"

namespace app {

void MainWindow::ConnectFormattingBar() {
  auto react = [this](std::function<void(grid::ReportGrid&)> action) {
    return [this, action] {
      DocumentWindow* doc = ActiveDocument();
      if (doc == nullptr) return;
      try {
        action(doc->grid());
      } catch (const grid::GridError&) {
      }
      UpdateFormattingBar();
      doc->gridView()->setFocus();
    };
  };
  connect(align_button_, &widgets::AlignButton::Click, this,
          react([this](grid::ReportGrid& g) { ApplyAlignmentItem(g, align_button_->Value()); }));
  connect(border_button_, &widgets::BorderButton::Click, this,
          react([this](grid::ReportGrid& g) { ApplyBorderItem(g, border_button_->Value()); }));
  connect(font_name_box_, &widgets::FlatComboBox::Click, this, react([this](grid::ReportGrid& g) {
            g.Selection().SetFontName(Std(font_name_box_->text()));
          }));
  connect(font_size_box_, &widgets::FlatComboBox::Click, this, react([this](grid::ReportGrid& g) {
            g.Selection().SetFontSize(common::NumericValue(Std(font_size_box_->text())));
          }));
  connect(back_color_button_, &widgets::ColorButton::Click, this,
          react([this](grid::ReportGrid& g) {
            g.Selection().SetBackColor(GridColorOf(back_color_button_->Value()));
          }));
  connect(fore_color_button_, &widgets::ColorButton::Click, this,
          react([this](grid::ReportGrid& g) {
            g.Selection().SetForeColor(GridColorOf(fore_color_button_->Value()));
          }));
  connect(font_button_, &widgets::FontButton::Click, this, [this, react](int button) {
    react([button](grid::ReportGrid& g) { ToggleFontStyle(g, button); })();
  });
}

}  // namespace app
