#include "app/commands.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>
#include <functional>

#include "app/about_box.h"
#include "app/app_info.h"
#include "app/browser_window.h"
#include "app/chart_window.h"
#include "app/dialog_commands.h"
#include "app/document_window.h"
#include "app/edit_commands.h"
#include "app/grid_view.h"
#include "app/import_command.h"
#include "app/main_window.h"
#include "app/mdi_arrange.h"
#include "app/print_commands.h"
#include "app/report_commands.h"
#include "app/ui_services.h"
#include "data/score_database.h"
#include "grid/grid_error.h"

namespace app {
namespace {

// Runs `action` on the active report's grid; no report open, or a refusal
// by the grid, ends it silently.
void OnActiveGrid(MainWindow& w, const std::function<void(grid::ReportGrid&)>& action) {
  DocumentWindow* doc = w.ActiveDocument();
  if (doc == nullptr) return;
  try {
    action(doc->grid());
  } catch (const grid::GridError&) {
  }
}

void RegisterEditCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  auto sel = [&w](void (grid::GridSelection::*op)()) {
    return [&w, op] { OnActiveGrid(w, [op](grid::ReportGrid& g) { (g.Selection().*op)(); }); };
  };
  t.Register(QStringLiteral("mnuCut"), sel(&grid::GridSelection::CutData));
  t.Register(QStringLiteral("mnuCopy"), sel(&grid::GridSelection::CopyData));
  t.Register(QStringLiteral("mnuPaste"), sel(&grid::GridSelection::PasteData));
  t.Register(QStringLiteral("mnuMerge"), sel(&grid::GridSelection::Merge));
  t.Register(QStringLiteral("mnuInsertRows"), sel(&grid::GridSelection::InsertRows));
  t.Register(QStringLiteral("mnuInsertCols"), sel(&grid::GridSelection::InsertCols));
  t.Register(QStringLiteral("mnuDeleteByRow"), sel(&grid::GridSelection::DeleteByRow));
  t.Register(QStringLiteral("mnuDeleteByCol"), sel(&grid::GridSelection::DeleteByCol));
  auto on_grid = [&w](std::function<void(grid::ReportGrid&)> action) {
    return [&w, action] { OnActiveGrid(w, action); };
  };
  t.Register(QStringLiteral("mnuUnMerge"),
             on_grid([](grid::ReportGrid& g) { g.Selection().SetMergeCells(false); }));
  t.Register(QStringLiteral("mnuHideRows"), on_grid(HideSelectedRows));
  t.Register(QStringLiteral("mnuHideCols"), on_grid(HideSelectedCols));
  t.Register(QStringLiteral("mnuSetWrapText"),
             on_grid([](grid::ReportGrid& g) { g.Selection().SetWrapText(true); }));
  t.Register(QStringLiteral("mnuCancelWrapText"),
             on_grid([](grid::ReportGrid& g) { g.Selection().SetWrapText(false); }));
  t.Register(QStringLiteral("mnuLockCell"),
             on_grid([](grid::ReportGrid& g) { g.Selection().SetLocked(true); }));
  t.Register(QStringLiteral("mnuCancelLockCell"),
             on_grid([](grid::ReportGrid& g) { g.Selection().SetLocked(false); }));
  t.Register(QStringLiteral("zdsize"), on_grid([&w](grid::ReportGrid& g) {
               w.font_size_ = static_cast<int>(std::lround(g.DefaultFont().size + 1));
               StepDefaultFontSize(g, 1);
             }));
  t.Register(QStringLiteral("jxsize"), on_grid([&w](grid::ReportGrid& g) {
               w.font_size_ = static_cast<int>(std::lround(g.DefaultFont().size - 1));
               StepDefaultFontSize(g, -1);
             }));
}

void RegisterWindowCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  QMdiArea* mdi = w.mdiArea();
  t.Register(QStringLiteral("mnuWindowNewWindow"), [&w] { w.NewDocument(); });
  t.Register(QStringLiteral("mnuWindowCascade"), [mdi] { Cascade(mdi); });
  t.Register(QStringLiteral("mnuWindowTileHorizontal"), [mdi] { TileHorizontally(mdi); });
  t.Register(QStringLiteral("mnuWindowTileVertical"), [mdi] { TileVertically(mdi); });
  t.Register(QStringLiteral("mnuWindowArrangeIcons"), [mdi] { ArrangeIcons(mdi); });
  auto toggle = [&w](const QString& action_name, std::function<QWidget*()> bar) {
    return [&w, action_name, bar] {
      auto* action = w.findChild<QAction*>(action_name);
      if (action != nullptr) bar()->setVisible(action->isChecked());
    };
  };
  t.Register(QStringLiteral("mnuViewToolbar"),
             toggle(QStringLiteral("mnuViewToolbar"), [&w]() -> QWidget* { return w.tool_bar_; }));
  t.Register(
      QStringLiteral("mnuViewStatusBar"),
      toggle(QStringLiteral("mnuViewStatusBar"), [&w]() -> QWidget* { return w.statusBar(); }));
  t.Register(QStringLiteral("mnuFileExit"), [&w] { w.close(); });
  t.Register(QStringLiteral("mnuFileSend"), [] {});
}

void RegisterHelpCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  t.Register(QStringLiteral("mnufileHelp"), [&w] { ShowHelp(w); });
  t.Register(QStringLiteral("mnuonlineHelp"),
             [&w] { OpenBrowser(w.mdiArea()->window(), OnlineHelpAddress()); });
  t.Register(QStringLiteral("houseHelp"),
             [&w] { OpenBrowser(w.mdiArea()->window(), HomePageAddress()); });
  t.Register(QStringLiteral("mnuHelpAbout"), [&w] {
    AboutBox box(&w);
    box.exec();
  });
}

void RegisterDataCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  t.Register(QStringLiteral("cjjs"), [&w] { ImportWorkbook(w); });
  t.Register(QStringLiteral("xufu"), [&w] {
    data::RepairSystemTables(w.state());
    w.services().Message(&w, QStringLiteral("提示"), QStringLiteral("系统表已修复。"));
  });
}

}  // namespace

void RegisterStandardCommands(MainWindow& window) {
  RegisterEditCommands(window);
  RegisterWindowCommands(window);
  RegisterHelpCommands(window);
  RegisterDataCommands(window);
  RegisterReportCommands(window);
  RegisterDialogCommands(window);
  RegisterPrintCommands(window);
  RegisterChartCommands(window);
}

}  // namespace app
