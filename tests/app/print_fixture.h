// A test fixture (Base: AppFixture or one derived from it) whose main window
// has the File menu's modal dialogs and printer answered by the test (its file
// dialogs are the services'): a dialog is handed to on_dialog and deleted,
// the printer is `printer` (none when null).
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/print_commands.h"

namespace app_test {

template <typename Base>
class PrintHooked : public Base {
 protected:
  app::MainWindow& Win() {
    app::MainWindow& w = this->Window();
    if (!hooked_) {
      app::PrintCommandHooks hooks;
      hooks.show_dialog = [this](QDialog* dialog) {
        ++dialogs;
        if (on_dialog) on_dialog(*dialog);
        delete dialog;
      };
      hooks.default_printer = [this] { return printer ? std::move(printer) : nullptr; };
      app::RegisterPrintCommands(w, hooks);
      hooked_ = true;
    }
    return w;
  }
  void Run(const char* name) { Win().RunCommand(QString::fromLatin1(name)); }
  QString Path(const char* name) const {
    return this->dir.path() + QLatin1Char('/') + QString::fromUtf8(name);
  }

  int dialogs = 0;
  std::function<void(QDialog&)> on_dialog;
  std::unique_ptr<QPrinter> printer;

 private:
  bool hooked_ = false;
};

}  // namespace app_test
