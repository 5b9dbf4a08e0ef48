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
#include "app/class_pack_command.h"
#include "app/dialog_commands.h"
#include "app/document_window.h"
#include "app/edit_commands.h"
#include "app/exam_manager_window.h"
#include "app/grid_view.h"
#include "app/import_command.h"
#include "app/main_window.h"
#include "app/mdi_arrange.h"
#include "app/menu_table.h"
#include "app/print_commands.h"
#include "app/report_commands.h"
#include "app/ui_services.h"
#include "data/score_database.h"
#include "grid/grid_error.h"

namespace app {
namespace {

void RegisterEditCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  // Each command is one undoable step, named after its menu item.
  auto on_grid = [&t, &w](const char* name, std::function<void(grid::ReportGrid&)> action) {
    const QString command = QString::fromLatin1(name);
    t.Register(command, [&w, step = StepName(command), action] { w.EditActiveGrid(step, action); });
  };
  auto sel = [&on_grid](const char* name, void (grid::GridSelection::*op)()) {
    on_grid(name, [op](grid::ReportGrid& g) { (g.Selection().*op)(); });
  };
  sel("mnuCut", &grid::GridSelection::CutData);
  sel("mnuPaste", &grid::GridSelection::PasteData);
  sel("mnuMerge", &grid::GridSelection::Merge);
  sel("mnuInsertRows", &grid::GridSelection::InsertRows);
  sel("mnuInsertCols", &grid::GridSelection::InsertCols);
  sel("mnuDeleteByRow", &grid::GridSelection::DeleteByRow);
  sel("mnuDeleteByCol", &grid::GridSelection::DeleteByCol);
  // Copying changes nothing and is no step.
  t.Register(QStringLiteral("mnuCopy"), [&w] {
    if (DocumentWindow* doc = w.ActiveDocument()) doc->grid().Selection().CopyData();
  });
  on_grid("mnuUnMerge", [](grid::ReportGrid& g) { g.Selection().SetMergeCells(false); });
  on_grid("mnuHideRows", HideSelectedRows);
  on_grid("mnuHideCols", HideSelectedCols);
  on_grid("mnuSetWrapText", [](grid::ReportGrid& g) { g.Selection().SetWrapText(true); });
  on_grid("mnuCancelWrapText", [](grid::ReportGrid& g) { g.Selection().SetWrapText(false); });
  on_grid("mnuLockCell", [](grid::ReportGrid& g) { g.Selection().SetLocked(true); });
  on_grid("mnuCancelLockCell", [](grid::ReportGrid& g) { g.Selection().SetLocked(false); });
  // The size is remembered even when the grid then refuses it.
  for (auto [name, delta] : {std::pair{"zdsize", 1}, std::pair{"jxsize", -1}}) {
    on_grid(name, [&w, delta](grid::ReportGrid& g) {
      w.font_size_ = static_cast<int>(std::lround(g.DefaultFont().size + delta));
      StepDefaultFontSize(g, delta);
    });
  }
  auto undo_redo = [&w](bool undo) {
    return [&w, undo] {
      DocumentWindow* doc = w.ActiveDocument();
      if (doc == nullptr) return;
      doc->gridView()->CancelEdit();
      undo ? doc->history().Undo() : doc->history().Redo();
    };
  };
  t.Register(QStringLiteral("mnuUndo"), undo_redo(true));
  t.Register(QStringLiteral("mnuRedo"), undo_redo(false));
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
  // Without an address from the build the web items stay disabled.
  if (!OnlineHelpAddress().isEmpty())
    t.Register(QStringLiteral("mnuonlineHelp"),
               [&w] { OpenBrowser(w.mdiArea()->window(), OnlineHelpAddress()); });
  if (!HomePageAddress().isEmpty())
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
  t.Register(QStringLiteral("ksgl"), [&w] { OpenExamManager(w); });
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
  RegisterPackCommand(window);
}

}  // namespace app
