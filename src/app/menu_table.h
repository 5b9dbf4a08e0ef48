// The menu tree of the main window as data: one entry per item in display
// order, `level` 0 for a menu of the menu bar, 1 for its items, 2 and 3 for
// items of submenus.
#pragma once

#include <QString>
#include <span>

namespace app {

enum MenuFlags : unsigned {
  kMenuNone = 0,
  kMenuSubmenu = 1,  // opens a submenu made of the deeper entries that follow
  kMenuHidden = 2,   // exists, not shown
  kMenuChecked = 4,  // a tick item, ticked at start
};

struct MenuEntry {
  int level;
  const char* name;      // the control name (objectName); nullptr for a separator
  const char* caption;   // nullptr: the report catalog's caption of the kind
  const char* shortcut;  // nullptr for none
  unsigned flags;
};

std::span<const MenuEntry> MainMenuEntries();
// The caption shown: the entry's own, else that of the report kind it runs
// (for a subject submenu, the kind of its items).
const char* MenuCaption(const MenuEntry& entry);

// The three single-subject menus: the submenu's name and the item array's
// name (whose item 0 is 科目).
struct SubjectMenu {
  const char* submenu;
  const char* items;
};
std::span<const SubjectMenu> SubjectMenus();

// The name of an undo step made by `command`: its caption without the
// accelerator and dots (合并单元格(&M) gives 合并单元格); the command itself
// when it has no menu item.
QString StepName(const QString& command);

// The command each tool-bar button runs, nullptr for none.
const char* ToolbarCommand(int index);

}  // namespace app
