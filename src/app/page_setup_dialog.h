// The page setup dialog (frmPageSetup): paper, orientation, zoom, print
// titles and contents on the first page, the six margins and centring on the
// second, header and footer on the third. It edits the page setup of the
// grid handed to SetGrid; OK writes every setting back, Cancel writes none.
#pragma once

#include <QDialog>
#include <array>

#include "app/page_setup_dialog_model.h"
#include "grid/report_grid.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace app {

class EditHistory;

class MarginPicture;

class PageSetupDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PageSetupDialog(QWidget* parent = nullptr);

  // Loads every control from `grid`'s page setup. The grid must outlive the
  // dialog or the next SetGrid.
  void SetGrid(grid::ReportGrid& grid);
  // OK then writes as one step of `history` (the grid's, or null for none).
  void SetHistory(EditHistory* history) { history_ = history; }

  // The controls' values, and setting them (for SetGrid and the tests).
  PageSetupForm Form() const;
  void ShowForm(const PageSetupForm& form);

  // OK: writes the controls into the grid's page setup, then closes.
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPaperPage();
  QGroupBox* BuildPaperSizeBox(QWidget* page);
  QWidget* BuildMarginPage();
  QWidget* BuildHeaderFooterPage();
  void OnPaperChosen(int index);
  void ChooseFont(int which);
  void UpdatePicture();

  grid::ReportGrid* grid_ = nullptr;
  EditHistory* history_ = nullptr;
  grid::PageSettings loaded_;  // what SetGrid found; the custom size starts from it
  std::vector<std::string> paper_names_;
  grid::Font header_font_;
  grid::Font footer_font_;

  QTabWidget* tabs_ = nullptr;
  QComboBox* paper_ = nullptr;
  QLineEdit* paper_width_ = nullptr;
  QLineEdit* paper_height_ = nullptr;
  QLabel* paper_width_label_ = nullptr;
  QLabel* paper_height_label_ = nullptr;
  QRadioButton* portrait_ = nullptr;
  QRadioButton* landscape_ = nullptr;
  QSpinBox* zoom_ = nullptr;
  QSpinBox* title_rows_ = nullptr;
  QSpinBox* title_columns_ = nullptr;
  QSpinBox* bottom_title_rows_ = nullptr;
  QCheckBox* fixed_row_ = nullptr;
  QCheckBox* fixed_column_ = nullptr;
  QCheckBox* gridlines_ = nullptr;
  QCheckBox* black_and_white_ = nullptr;
  // top, bottom, left, right, header, footer
  std::array<QDoubleSpinBox*, 6> margins_{};
  QCheckBox* center_h_ = nullptr;
  QCheckBox* center_v_ = nullptr;
  MarginPicture* picture_ = nullptr;
  QLineEdit* header_ = nullptr;
  QLineEdit* footer_ = nullptr;
  QComboBox* header_align_ = nullptr;
  QComboBox* footer_align_ = nullptr;
};

}  // namespace app
