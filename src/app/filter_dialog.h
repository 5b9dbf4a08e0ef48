// frmshaixuan "筛选": copies the rows of one school, or one class of a
// school, from the active report window into a new one.
#pragma once

#include <QDialog>

#include "reports/filter_rows.h"

class QComboBox;

namespace app {

class MainWindow;

class FilterWindow : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed. The lists come from the report
  // window active now; OK copies from the one active then.
  explicit FilterWindow(MainWindow& main);
  const reports::FilterOptions& options() const { return options_; }

 private:
  void Mirror();
  void OnSchool();
  void OnOK();

  MainWindow& main_;
  reports::FilterOptions options_;
  QComboBox* school_;  // Combo1
  QComboBox* class_;   // Combo2
};

// The command 筛选: a new dialog over the active report window.
FilterWindow* OpenFilter(MainWindow& main);

}  // namespace app
