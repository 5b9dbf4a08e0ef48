// The formatting bar's reactions: each changes the active grid's selection
// and gives the focus back to the grid. Refusals by the grid end silently.
#include <algorithm>
#include <functional>

#include "app/document_window.h"
#include "app/edit_commands.h"
#include "app/grid_view.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "common/text_number.h"
#include "widgets/align_button.h"
#include "widgets/border_button.h"
#include "widgets/color_button.h"
#include "widgets/flat_combo_box.h"
#include "widgets/font_button.h"

namespace app {

void MainWindow::ConnectFormattingBar() {
  // Each reaction is one undoable step, named after what it changes.
  auto react = [this](const char* step, std::function<void(grid::ReportGrid&)> action) {
    return [this, step = QString::fromUtf8(step), action] {
      DocumentWindow* doc = ActiveDocument();
      if (doc == nullptr) return;
      EditActiveGrid(step, action);
      UpdateFormattingBar();
      doc->gridView()->setFocus();
    };
  };
  connect(align_button_, &widgets::AlignButton::Click, this,
          react("对齐方式",
                [this](grid::ReportGrid& g) { ApplyAlignmentItem(g, align_button_->Value()); }));
  connect(
      border_button_, &widgets::BorderButton::Click, this,
      react("边框", [this](grid::ReportGrid& g) { ApplyBorderItem(g, border_button_->Value()); }));
  connect(font_name_box_, &widgets::FlatComboBox::Click, this,
          react("字体", [this](grid::ReportGrid& g) {
            g.Selection().SetFontName(Std(font_name_box_->text()));
          }));
  connect(font_size_box_, &widgets::FlatComboBox::Click, this,
          react("字号", [this](grid::ReportGrid& g) {
            g.Selection().SetFontSize(common::NumericValue(Std(font_size_box_->text())));
          }));
  connect(back_color_button_, &widgets::ColorButton::Click, this,
          react("填充颜色", [this](grid::ReportGrid& g) {
            g.Selection().SetBackColor(GridColorOf(back_color_button_->Value()));
          }));
  connect(fore_color_button_, &widgets::ColorButton::Click, this,
          react("文字颜色", [this](grid::ReportGrid& g) {
            g.Selection().SetForeColor(GridColorOf(fore_color_button_->Value()));
          }));
  connect(font_button_, &widgets::FontButton::Click, this, [react](int button) {
    static const char* const kSteps[] = {"加粗", "倾斜", "下划线"};
    react(kSteps[std::clamp(button, 0, 2)],
          [button](grid::ReportGrid& g) { ToggleFontStyle(g, button); })();
  });
}

}  // namespace app
