// The main window's menus, tool bars and status bar, built from the tables
// of menu_table.cpp.
#include <QAction>
#include <QDateTime>
#include <QFontDatabase>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "app/document_window.h"
#include "app/grid_view.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/qt_convert.h"
#include "widgets/align_button.h"
#include "widgets/border_button.h"
#include "widgets/color_button.h"
#include "widgets/flat_combo_box.h"
#include "widgets/font_button.h"
#include "widgets/toolbar.h"

namespace app {
namespace {

const char* const kFontSizes[] = {"6",  "8",  "9",  "10", "12", "14", "16", "18",
                                  "20", "22", "24", "26", "28", "36", "48", "72"};

QString SubjectItemName(const char* items, int index) {
  return QStringLiteral("%1_%2").arg(QString::fromLatin1(items)).arg(index);
}

}  // namespace

void MainWindow::BuildMenus() {
  std::vector<QMenu*> open_menus;  // the menu at each level
  for (const MenuEntry& e : MainMenuEntries()) {
    open_menus.resize(static_cast<std::size_t>(e.level));
    QWidget* parent_menu = e.level == 0 ? static_cast<QWidget*>(menuBar()) : open_menus.back();
    if (e.name == nullptr) {
      open_menus.back()->addSeparator();
      continue;
    }
    const QString name = QString::fromLatin1(e.name);
    const QString caption = QString::fromUtf8(MenuCaption(e));
    QAction* action = nullptr;
    if (e.flags & kMenuSubmenu) {
      QMenu* menu = e.level == 0 ? menuBar()->addMenu(caption)
                                 : static_cast<QMenu*>(parent_menu)->addMenu(caption);
      menu->setObjectName(name);
      action = menu->menuAction();
      open_menus.push_back(menu);
    } else {
      action = open_menus.back()->addAction(caption);
      connect(action, &QAction::triggered, this, [this, name] { RunCommand(name); });
    }
    action->setObjectName(name);
    if (e.shortcut != nullptr) action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
    if (e.flags & kMenuHidden) action->setVisible(false);
    if (e.flags & kMenuChecked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
  }
  if (auto* window_menu = findChild<QMenu*>(QStringLiteral("mnuWindow"))) {
    connect(window_menu, &QMenu::aboutToShow, this,
            [this, window_menu] { RebuildWindowList(window_menu); });
  }
}

void MainWindow::DisableItemsWithoutCommand() {
  for (const MenuEntry& e : MainMenuEntries()) {
    if (e.name == nullptr || (e.flags & kMenuSubmenu)) continue;
    const QString name = QString::fromLatin1(e.name);
    if (auto* action = findChild<QAction*>(name)) action->setEnabled(commands_.Has(name));
  }
}

void MainWindow::BuildSubjectMenus() {
  for (const SubjectMenu& m : SubjectMenus()) {
    auto* menu = findChild<QMenu*>(QString::fromLatin1(m.submenu));
    if (menu == nullptr) continue;
    menu->clear();
    const QString items = QString::fromLatin1(m.items);
    QAction* first = menu->addAction(QStringLiteral("科目"));
    first->setObjectName(items);
    connect(first, &QAction::triggered, this, [this, items] { RunSubjectCommand(items, 0); });
    const auto& names = state_.subject_lines.SubjectName;
    for (int i = 1; i <= static_cast<int>(names.size()); ++i) {
      QAction* item = menu->addAction(Qs(names[static_cast<std::size_t>(i) - 1]));
      item->setObjectName(SubjectItemName(m.items, i));
      item->setProperty("index", i);
      connect(item, &QAction::triggered, this, [this, items, i] { RunSubjectCommand(items, i); });
    }
  }
}

// The window menu ends with one item per open report window.
void MainWindow::RebuildWindowList(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->property("windowListItem").toBool()) {
      menu->removeAction(action);
      action->deleteLater();
    }
  }
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  if (windows.isEmpty()) return;
  QAction* separator = menu->addSeparator();
  separator->setProperty("windowListItem", true);
  int n = 0;
  for (QMdiSubWindow* sub : windows) {
    QString title = sub->windowTitle();
    if (title.isEmpty()) title = QStringLiteral("报表");
    QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(++n).arg(title));
    action->setProperty("windowListItem", true);
    action->setCheckable(true);
    action->setChecked(sub == mdi_->activeSubWindow());
    connect(action, &QAction::triggered, this, [this, sub] { mdi_->setActiveSubWindow(sub); });
  }
}

void MainWindow::BuildToolBars() {
  tool_bar_ = addToolBar(QStringLiteral("工具栏"));
  tool_bar_->setObjectName(QStringLiteral("Toolbar"));
  tool_bar_->setMovable(false);
  toolbar1_ = new widgets::Toolbar;
  toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
  tool_bar_->addWidget(toolbar1_);
  connect(toolbar1_, &widgets::Toolbar::Click, this, &MainWindow::ToolbarClick);

  addToolBarBreak();
  format_bar_ = addToolBar(QStringLiteral("格式"));
  format_bar_->setObjectName(QStringLiteral("FormatBar"));
  format_bar_->setMovable(false);
  font_name_box_ = new widgets::FlatComboBox;
  font_name_box_->setObjectName(QStringLiteral("cboFontName"));
  font_name_box_->setMinimumWidth(150);
  font_size_box_ = new widgets::FlatComboBox;
  font_size_box_->setObjectName(QStringLiteral("cboFontSize"));
  font_size_box_->setMinimumWidth(52);
  font_button_ = new widgets::FontButton;
  font_button_->setObjectName(QStringLiteral("FontButton1"));
  align_button_ = new widgets::AlignButton;
  align_button_->setObjectName(QStringLiteral("AlignButton1"));
  border_button_ = new widgets::BorderButton;
  border_button_->setObjectName(QStringLiteral("BorderButton1"));
  back_color_button_ = new widgets::ColorButton(0);
  back_color_button_->setObjectName(QStringLiteral("ColorButton1"));
  fore_color_button_ = new widgets::ColorButton(1);
  fore_color_button_->setObjectName(QStringLiteral("ColorButton2"));
  for (QWidget* w :
       std::initializer_list<QWidget*>{font_name_box_, font_size_box_, font_button_, align_button_,
                                       border_button_, back_color_button_, fore_color_button_}) {
    format_bar_->addWidget(w);
  }
}

void MainWindow::BuildStatusBar() {
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  const int widths[4] = {60, 0, 100, 80};
  for (int i = 0; i < 4; ++i) {
    panels_[i] = new QLabel(statusBar());
    panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (widths[i] > 0) panels_[i]->setMinimumWidth(widths[i]);
    panels_[i]->setAlignment(i == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (i < 2)
      statusBar()->addWidget(panels_[i], i == 1 ? 1 : 0);
    else
      statusBar()->addPermanentWidget(panels_[i]);
  }
  panels_[0]->setText(QStringLiteral("插入"));
  auto tick = [this] {
    const QDateTime now = QDateTime::currentDateTime();
    panels_[2]->setText(now.date().toString(QStringLiteral("yyyy-M-d")));
    panels_[3]->setText(now.time().toString(QStringLiteral("HH:mm:ss")));
  };
  tick();
  auto* clock = new QTimer(this);
  connect(clock, &QTimer::timeout, this, tick);
  clock->start(1000);
}

void MainWindow::FillFontLists() {
  for (const char* size : kFontSizes) font_size_box_->AddItem(QString::fromLatin1(size));
  font_size_box_->setText(QStringLiteral("9"));
  // The grids keep Windows font names; offer them first so reports match.
  for (const char* name : {"宋体", "黑体", "Arial", "Tahoma"})
    font_name_box_->AddItem(QString::fromUtf8(name));
  for (const QString& family : QFontDatabase::families()) {
    if (!family.isEmpty() && font_name_box_->findText(family) < 0) font_name_box_->AddItem(family);
  }
  font_name_box_->setText(QStringLiteral("宋体"));
}

void MainWindow::UpdateFormattingBar() {
  DocumentWindow* doc = ActiveDocument();
  if (doc == nullptr) return;
  grid::ReportGrid& g = doc->grid();
  const auto [row, col] = g.ActiveCellPosition();
  const grid::Font font = g.CellFont(row, col);
  font_name_box_->setText(Qs(font.name));
  font_size_box_->setText(QString::number(font.size));
  font_button_->SetState(0, font.bold);
  font_button_->SetState(1, font.italic);
  font_button_->SetState(2, font.underline);
}

}  // namespace app
