// A main window over a scratch database and settings file, with the message
// boxes and the file dialog answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "app/document_window.h"
#include "app/grid_view.h"
#include "app/main_window.h"
#include "app/ui_services.h"

namespace app_test {

class RecordingServices : public app::UiServices {
 public:
  struct Shown {
    QString caption;
    QString text;
  };
  void Message(QWidget*, const QString& caption, const QString& text, QMessageBox::Icon) override {
    messages.push_back({caption, text});
  }
  QString OpenFileName(QWidget*, const QString&, const QString& filter) override {
    last_filter = filter;
    return file_to_open;
  }
  QString AskText(QWidget*, const QString&, const QString&, const QString& initial) override {
    last_suggested = initial;
    return text_to_give;
  }
  bool Ask(QWidget*, const QString& caption, const QString& text) override {
    questions.push_back({caption, text});
    return answer;
  }
  QString SaveFileName(QWidget*, const QString&, const QString& filter,
                       const QString& suggested) override {
    ++save_dialogs;
    last_save_filter = filter;
    last_suggested = suggested;
    return file_to_save;
  }
  QString ExistingDirectory(QWidget*, const QString&) override { return folder_to_choose; }
  std::vector<Shown> messages;
  std::vector<Shown> questions;
  bool answer = false;
  QString text_to_give;
  QString file_to_open;
  QString last_filter;
  QString file_to_save;  // empty: the save dialog is cancelled
  QString last_save_filter;
  QString last_suggested;
  int save_dialogs = 0;
  QString folder_to_choose;  // empty: the folder chooser is cancelled
};

class AppFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.database_path = (dir.path() + QStringLiteral("/sujuf.db")).toStdString();
    options.settings_file = dir.path() + QStringLiteral("/settings.ini");
    options.help_path = dir.path() + QStringLiteral("/no-help.html");
    options.load_database = false;
  }
  app::MainWindow& Window() {
    if (!window) {
      window = std::make_unique<app::MainWindow>(state, services, options);
      window->show();
    }
    return *window;
  }
  // A new report window whose grid holds `rows` x `cols` cells.
  app::DocumentWindow* NewReport(int rows = 10, int cols = 5) {
    app::DocumentWindow* doc = Window().NewDocument();
    doc->grid().SetRows(rows);
    doc->grid().SetCols(cols);
    return doc;
  }
  void Trigger(const char* name);
  QString Panel(int n);

  QTemporaryDir dir;
  data::AppState state;
  RecordingServices services;
  app::MainWindowOptions options;
  std::unique_ptr<app::MainWindow> window;
};

}  // namespace app_test
