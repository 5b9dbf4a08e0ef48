// The options dialog of a report kind built from its declarations in the
// report catalog (reports/option_form.h): a list or a text box per option,
// then 确 定 and 取 消. OK makes the report in a new window and closes the
// dialog; a choice the report refuses is a message, and the dialog stays.
#pragma once

#include <QDialog>
#include <vector>

#include "reports/option_form.h"

class QComboBox;
class QLineEdit;

namespace app {

class MainWindow;

class ReportOptionsWindow : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed. objectName: the kind's control
  // name followed by "frm"; each control is named after its option.
  ReportOptionsWindow(MainWindow& main, const reports::ReportKind& kind);

 private:
  void OnOK();

  MainWindow& main_;
  const reports::ReportKind& kind_;
  std::vector<reports::OptionField> fields_;
  std::vector<QComboBox*> lists_;  // per field, null for a text box
  std::vector<QLineEdit*> texts_;  // per field, null for a list
};

// The command of a kind with such a dialog: a new dialog, replacing one
// already open.
ReportOptionsWindow* OpenReportOptions(MainWindow& main, const reports::ReportKind& kind);

}  // namespace app
