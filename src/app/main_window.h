// The main window (frmMain): menus, the command tool bar, the formatting
// bar, the status bar and the MDI area holding the report windows.
//
// Commands are looked up by name in commands(); a menu item whose command is
// not registered when the window is built is shown disabled.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "app/command_table.h"
#include "data/app_state.h"

class QLabel;
class QMdiArea;
class QMenu;
class QSettings;
class QToolBar;
class QUndoGroup;

namespace grid {
class ReportGrid;
}  // namespace grid

namespace widgets {
class AlignButton;
class BorderButton;
class ColorButton;
class FlatComboBox;
class FontButton;
class Toolbar;
}  // namespace widgets

namespace app {

class DocumentWindow;
class UiServices;

struct MainWindowOptions {
  // An INI file for the window position; empty uses the user's settings store.
  QString settings_file;
  // The help page; empty uses help/index.html next to the program.
  QString help_path;
  // Skip loading the subject lines and titles from the database.
  bool load_database = true;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(data::AppState& state, UiServices& services, MainWindowOptions options = {});
  ~MainWindow() override;

  data::AppState& state() { return state_; }
  UiServices& services() { return services_; }
  CommandTable& commands() { return commands_; }
  const MainWindowOptions& options() const { return options_; }
  QMdiArea* mdiArea() const { return mdi_; }

  // The active report window, nullptr when none is open.
  DocumentWindow* ActiveDocument() const;
  // Opens an empty report window and makes it the active one.
  DocumentWindow* NewDocument();
  int DocumentCount() const { return document_count_; }

  // Runs `action` on the active report's grid as one undoable step named
  // `step`. Nothing happens without a report; a refusal by the grid or the
  // engine ends it silently, keeping what it changed as the step.
  void EditActiveGrid(const QString& step, const std::function<void(grid::ReportGrid&)>& action);

  // Runs the command `name`, turning its failures into a message.
  void RunCommand(const QString& name);
  void RunSubjectCommand(const QString& name, int index);
  // The tool-bar button `index` (0..16), as Toolbar1 reports it.
  void ToolbarClick(int index);
  // Rebuilds the three subject menus from state().subject_lines.
  void BuildSubjectMenus();
  void SetSumText(const QString& text);
  // Shows the active cell's font on the formatting bar.
  void UpdateFormattingBar();

  QSettings* OpenSettings() const;
  int font_size_ = 9;  // remembered by 增大字体 and 减小字体

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void DisableItemsWithoutCommand();
  void BuildToolBars();
  void BuildStatusBar();
  void FillFontLists();
  void RestorePosition();
  void ConnectFormattingBar();
  void RebuildWindowList(QMenu* menu);
  void OnSubWindowActivated();
  void ConnectUndoActions();

  data::AppState& state_;
  UiServices& services_;
  MainWindowOptions options_;
  CommandTable commands_;
  QMdiArea* mdi_;
  QUndoGroup* undo_group_;  // the active report window's history drives 撤销 and 重做
  int document_count_ = 0;
  bool insert_mode_ = true;

 public:
  // The bars, for the command handlers.
  QToolBar* tool_bar_ = nullptr;
  QToolBar* format_bar_ = nullptr;
  widgets::Toolbar* toolbar1_ = nullptr;
  widgets::FlatComboBox* font_name_box_ = nullptr;
  widgets::FlatComboBox* font_size_box_ = nullptr;
  widgets::AlignButton* align_button_ = nullptr;
  widgets::BorderButton* border_button_ = nullptr;
  widgets::ColorButton* back_color_button_ = nullptr;
  widgets::ColorButton* fore_color_button_ = nullptr;
  widgets::FontButton* font_button_ = nullptr;
  QLabel* panels_[4] = {};
};

}  // namespace app
