// 考试管理 (工具 menu): the exams of the library in a table (date order, the
// current one marked), with 切换 (make it current; the subject menus are
// rebuilt at once), 重命名, 删除 (after a question; never the current exam)
// and 导出 (a workbook in the import's layout). The library's own functions
// (data/exam_library.h) do the work; a refusal is a message.
#pragma once

#include <QDialog>

class QTableWidget;

namespace app {

class MainWindow;

class ExamManagerWindow : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed. objectName "ksglfrm"; the table
  // "examTable", the buttons "cmdUse", "cmdRename", "cmdDelete",
  // "cmdExport", "cmdClose".
  explicit ExamManagerWindow(MainWindow& main);

  // Reads the library again, keeping the selected exam selected.
  void Reload();
  // The id of the selected exam, 0 when none is selected.
  int SelectedId() const;

 private:
  int SelectedRow() const;  // -1 when none is selected
  // The selected exam's name; only while one is selected.
  QString SelectedName() const;
  void OnUse();
  void OnRename();
  void OnDelete();
  void OnExport();
  // Runs a library command, turning its refusal into a message.
  template <typename Action>
  bool Run(Action action);

  MainWindow& main_;
  QTableWidget* table_;
};

// The command 考试管理: the window, raised when already open.
ExamManagerWindow* OpenExamManager(MainWindow& main);

}  // namespace app
