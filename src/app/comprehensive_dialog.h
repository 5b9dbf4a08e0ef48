// zhtjfrm "综合统计": what the comprehensive statistics count and over which
// range. reports::ComprehensiveOptions holds the choices; this window
// mirrors them into its controls after every handler.
#pragma once

#include <QDialog>

#include "reports/comprehensive_stats.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace app {

class MainWindow;

class ComprehensiveWindow : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed.
  ComprehensiveWindow(MainWindow& main, reports::ComprehensiveOptions options);
  const reports::ComprehensiveOptions& options() const { return options_; }

 private:
  QWidget* BuildCategoryFrame();
  QWidget* BuildItemsFrame();
  QWidget* BuildRangeFrame();
  void Mirror();
  void Gather();
  void OnCategory(reports::StatCategory category);
  void OnOK();

  MainWindow& main_;
  reports::ComprehensiveOptions options_;
  QRadioButton* categories_[3] = {};  // dkOptlb zkOptlb qkOptlb
  QComboBox* subject_ = nullptr;
  QCheckBox* checks_[4] = {};
  QLineEdit* n_boxes_[4] = {};
  QRadioButton* points_ = nullptr;  // fOpt
  QRadioButton* ranks_ = nullptr;   // mOpt
  QRadioButton* ranges_[3] = {};    // gbOptfw gxOptfw qbOptfw
};

// The command 全科综合统计: the dialog, raised when it is already open.
ComprehensiveWindow* OpenComprehensive(MainWindow& main);

}  // namespace app
