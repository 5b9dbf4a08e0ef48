// mingdanfrm "符合条件的学生名单": a ready-made list (tab 精简) or one or two
// comparisons with the columns to show (tab 更多), within a school or class.
// reports::StudentListOptions holds the choices; this window mirrors them
// into its controls after every handler.
#pragma once

#include <QDialog>

#include "reports/student_list.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace app {

class MainWindow;

class StudentListWindow : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed.
  StudentListWindow(MainWindow& main, reports::StudentListOptions options);
  const reports::StudentListOptions& options() const { return options_; }

 private:
  QWidget* BuildPresetTab();
  QWidget* BuildConditionTab();
  QWidget* BuildShowFrame(QWidget* parent);
  QWidget* BuildRangeFrame();
  void Mirror();
  void Gather();
  // Runs `handler` between Gather and Mirror when `box` is chosen from.
  void OnChoice(QComboBox* box, void (StudentListWindow::*handler)(const std::string&));
  void OnSchool(const std::string& school);
  void OnSecondColumn(const std::string& column);
  void OnShowItem1(const std::string& item);
  void OnShowItem2(const std::string& item);
  void OnOK();

  MainWindow& main_;
  reports::StudentListOptions options_;
  QTabWidget* tabs_ = nullptr;
  QRadioButton* presets_[8] = {};
  QComboBox* combos_[8] = {};  // Combo1 .. Combo8
  QLineEdit* value1_ = nullptr;
  QLineEdit* value2_ = nullptr;
  QRadioButton* and_ = nullptr;  // qOpt
  QRadioButton* or_ = nullptr;   // hOpt
};

// The command 符合条件学生名单: the dialog, raised when it is already open.
StudentListWindow* OpenStudentList(MainWindow& main);

}  // namespace app
