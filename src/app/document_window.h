// A report window (frmDocument): the title box Text1 over the grid view
// Grid1. The window owns its Document; reports fill the document and the
// window shows it.
#pragma once

#include <QWidget>
#include <memory>

#include "app/document_window_model.h"
#include "app/edit_history.h"

class QLineEdit;

namespace app {

class GridView;
class UiServices;

class DocumentWindow : public QWidget {
  Q_OBJECT
 public:
  DocumentWindow(const data::AppState& state, UiServices& services, QWidget* parent = nullptr);
  ~DocumentWindow() override;

  Document& document() { return *document_; }
  grid::ReportGrid& grid() { return document_->grid; }
  GridView* gridView() const { return grid_view_; }
  QLineEdit* titleBox() const { return title_box_; }
  // The undo history of this window's grid.
  EditHistory& history() { return *history_; }

  // Shows the document's caption and title after a report changed them; a
  // grid filled anew outside the undo history starts an empty one.
  void SyncFromDocument();
  // The title box's double-click: rebuilds the report titles, confirms.
  void RebuildTitlesFromTitleBox();
  // The last "和  ..." of this window's selection, empty before the first;
  // the status bar shows it again when the window becomes the active one.
  const QString& SumText() const { return sum_text_; }

 signals:
  // "和  ..." for the status bar, after the selection changed.
  void SelectionSumChanged(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnSelectionChanged();

  const data::AppState& state_;
  UiServices& services_;
  std::unique_ptr<Document> document_;
  QLineEdit* title_box_;
  GridView* grid_view_;
  std::unique_ptr<EditHistory> history_;
  QString sum_text_;
};

}  // namespace app
