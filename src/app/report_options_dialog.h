// The options dialog of a report or chart kind built from its declarations
// in the catalogs (reports/option_form.h): a list or a text box per option,
// then 确 定 and 取 消. OK makes the report or chart in a new window and
// closes the dialog; a choice the kind refuses is a message, and the dialog
// stays.
#pragma once

#include <QDialog>
#include <functional>
#include <span>
#include <vector>

#include "reports/option_form.h"

class QComboBox;
class QLineEdit;

namespace app {

class MainWindow;

class ReportOptionsWindow : public QDialog {
  Q_OBJECT
 public:
  // What OK does with the choices; throws reports::ReportError to refuse them.
  using Make = std::function<void(const reports::ReportChoices&)>;

  // Modeless; deletes itself when closed. objectName: the kind's control
  // name followed by "frm"; each control is named after its option.
  ReportOptionsWindow(MainWindow& main, const char* control_name, const char* caption,
                      std::span<const reports::ReportOption> options, Make make);

 private:
  void OnOK();

  MainWindow& main_;
  std::span<const reports::ReportOption> options_;
  Make make_;
  std::vector<reports::OptionField> fields_;
  std::vector<QComboBox*> lists_;  // per field, null for a text box
  std::vector<QLineEdit*> texts_;  // per field, null for a list
};

// The command of a kind with such a dialog: a new dialog, replacing one
// already open.
ReportOptionsWindow* OpenReportOptions(MainWindow& main, const reports::ReportKind& kind);
ReportOptionsWindow* OpenOptions(MainWindow& main, const char* control_name, const char* caption,
                                 std::span<const reports::ReportOption> options,
                                 ReportOptionsWindow::Make make);

}  // namespace app
