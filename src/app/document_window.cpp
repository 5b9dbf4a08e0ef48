#include "app/document_window.h"

#include <QEvent>
#include <QLineEdit>
#include <memory>

#include "app/app_info.h"
#include "app/grid_view.h"
#include "app/qt_clipboard.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "app/window_position.h"
#include "output/report_layout.h"

namespace app {
namespace {

QString TitleChangedMessage(const QString& title) {
  return QStringLiteral("标题修改为 ") + title;
}

int Px(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

}  // namespace

DocumentWindow::DocumentWindow(const data::AppState& state, UiServices& services, QWidget* parent)
    : QWidget(parent), state_(state), services_(services), document_(std::make_unique<Document>()) {
  setObjectName(QStringLiteral("frmDocument"));
  setAttribute(Qt::WA_DeleteOnClose);
  document_->grid = grid::ReportGrid(kNewDocumentRows, kNewDocumentCols);
  document_->grid.SetClipboard(std::make_shared<QtClipboard>());
  document_->grid.SetMeasurer(std::make_shared<QtTextMeasurer>());

  title_box_ = new QLineEdit(this);
  title_box_->setObjectName(QStringLiteral("Text1"));
  title_box_->setFont(QtFontOf("宋体", 10.5, false, false, false));
  title_box_->installEventFilter(this);
  connect(title_box_, &QLineEdit::textEdited, this,
          [this](const QString& text) { document_->title = Std(text); });

  history_ = std::make_unique<EditHistory>(document_->grid, this);
  grid_view_ = new GridView(this);
  grid_view_->SetGrid(&document_->grid);
  grid_view_->SetHistory(history_.get());
  connect(grid_view_, &GridView::SelectionChanged, this, &DocumentWindow::OnSelectionChanged);
  setFocusProxy(grid_view_);
  resize(640, 420);
}

// The view subscribes to the grid; it must let go before the grid dies.
DocumentWindow::~DocumentWindow() {
  grid_view_->SetGrid(nullptr);
}

void DocumentWindow::SyncFromDocument() {
  setWindowTitle(Qs(document_->caption));
  title_box_->setText(Qs(document_->title));
  title_box_->setEnabled(document_->title_editable);
  // A report may have moved a whole new grid in, dropping the subscription.
  grid_view_->SetGrid(&document_->grid);
  history_->ForgetIfChangedOutside();
  // A report filled into a grid of one row left the cursor on a heading.
  grid::ReportGrid& g = document_->grid;
  const auto [row, col] = g.ActiveCellPosition();
  if ((row < g.FixedRows() || col < g.FixedCols()) && g.Rows() > g.FixedRows() &&
      g.Cols() > g.FixedCols())
    g.SetActiveCell(g.FixedRows(), g.FixedCols());
  OnSelectionChanged();
}

void DocumentWindow::RebuildTitlesFromTitleBox() {
  history_->Record(QStringLiteral("修改标题"), [this] {
    document_->grid.ReportTitles().Clear();
    output::AddReportTitles(document_->grid, Std(title_box_->text()), state_.title_settings,
                            output::Today());
  });
  services_.Message(this, AppTitle(), TitleChangedMessage(title_box_->text()));
}

void DocumentWindow::OnSelectionChanged() {
  const auto text = SelectionSumText(document_->grid, document_->grid.SelectionRect());
  if (!text) return;
  sum_text_ = Qs(*text);
  emit SelectionSumChanged(sum_text_);
}

// Layout in twips of the inner area, as the report windows always had;
// a window too small for it keeps the previous layout.
void DocumentWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int inner_width = width() - Px(200);
  const int grid_height = height() - Px(425);
  if (inner_width <= 0 || grid_height <= 0) return;
  title_box_->setGeometry(Px(100), Px(50), inner_width, Px(325));
  grid_view_->setGeometry(Px(100), Px(400), inner_width, grid_height);
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == title_box_ && event->type() == QEvent::MouseButtonDblClick) {
    RebuildTitlesFromTitleBox();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace app
