// frmOptions "设置": the composite weights and segment widths, the title
// texts, and the custom totals and rankings of the active report. The pages
// and their actions are settings::OptionsModel's; this window mirrors them
// into its controls and hands the user's choices back.
#pragma once

#include <QDialog>
#include <string>

#include "settings/options_model.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace app {

class MainWindow;

class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // Modeless; deletes itself when closed.
  OptionsDialog(MainWindow& main, settings::OptionsModel dialog);

  // The Yes/No question before weights that do not add up to 100; a
  // message box unless replaced (tests answer it themselves).
  void SetQuestion(settings::Question ask) { ask_ = std::move(ask); }
  const settings::OptionsModel& dialog() const { return dialog_; }

 private:
  QWidget* BuildTotalsPage();
  QWidget* BuildRankingPage();
  QWidget* BuildSegmentPage();
  QWidget* BuildTitlePage();
  // What lists that leave the class hide, and the parent letter's last line.
  QGroupBox* BuildFamilyGroup(QWidget* page);
  QLayout* BuildButtons();

  void ShowPages();
  void ShowTotals();
  void ShowRanking();
  void ShowTexts();
  void GatherGrids();
  void GatherTexts();
  void OnTotalsItemChanged(int row, int column);

  void OnNextStep();
  void OnRetotal();
  void OnOK();

  MainWindow& main_;
  settings::OptionsModel dialog_;
  settings::Question ask_;

  QTabWidget* tabs_;
  QTableWidget* totals_grid_ = nullptr;
  QTableWidget* ranking_grid_ = nullptr;
  QComboBox* total_name_ = nullptr;
  QLineEdit* segment_boxes_[6] = {};
  QLineEdit* title_boxes_[7] = {};
  QCheckBox* show_date_ = nullptr;
  QCheckBox* mask_names_ = nullptr;
  QCheckBox* no_rank_ = nullptr;
  QLineEdit* letter_footer_ = nullptr;
  QCheckBox* letter_trend_ = nullptr;
  QCheckBox* scale_lines_ = nullptr;
  QLabel* all_total_label_ = nullptr;
  QLabel* main_total_label_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* retotal_ = nullptr;
  QPushButton* next_step_ = nullptr;
};

// Opens frmOptions in `mode` over the
// active report window; one already open is closed first.
OptionsDialog* OpenOptions(MainWindow& main, settings::OptionsMode mode);
// The import's last step: 其它设置, with 分数段设置 selectable as well.
OptionsDialog* OpenOptionsAfterImport(MainWindow& main);

}  // namespace app
