// Commands by name. Every menu item and tool-bar button runs the command
// registered under its objectName; the report modules add theirs in
// commands.cpp without touching the main window. The subject items of the
// three single-subject menus run an indexed command with the subject's
// number (1, 2, ...).
#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace app {

class CommandTable {
 public:
  using Command = std::function<void()>;
  using IndexedCommand = std::function<void(int)>;

  void Register(const QString& name, Command command) {
    commands_.insert(name, std::move(command));
  }
  void RegisterIndexed(const QString& name, IndexedCommand command) {
    indexed_.insert(name, std::move(command));
  }
  bool Has(const QString& name) const { return commands_.contains(name); }
  bool HasIndexed(const QString& name) const { return indexed_.contains(name); }
  // False when nothing is registered under `name`.
  bool Run(const QString& name) const {
    auto it = commands_.constFind(name);
    if (it == commands_.constEnd()) return false;
    (*it)();
    return true;
  }
  bool RunIndexed(const QString& name, int index) const {
    auto it = indexed_.constFind(name);
    if (it == indexed_.constEnd()) return false;
    (*it)(index);
    return true;
  }

 private:
  QHash<QString, Command> commands_;
  QHash<QString, IndexedCommand> indexed_;
};

}  // namespace app
