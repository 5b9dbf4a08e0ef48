#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <exception>

#include "app/app_info.h"
#include "app/commands.h"
#include "app/document_window.h"
#include "app/grid_view.h"
#include "app/mdi_arrange.h"
#include "app/menu_table.h"
#include "app/ui_services.h"
#include "app/window_position.h"
#include "data/score_database.h"

namespace app {
namespace {
QString NotFinishedText() {
  return QStringLiteral("该功能尚未完成。");
}
QString NoticeCaption() {
  return QStringLiteral("提示");
}
}  // namespace

MainWindow::MainWindow(data::AppState& state, UiServices& services, MainWindowOptions options)
    : state_(state), services_(services), options_(std::move(options)) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(AppTitle());
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("MDIArea"));
  mdi_->setBackground(QColor(128, 128, 128));
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::OnSubWindowActivated);

  // The load sequence; each step goes on whatever happened before.
  RestorePosition();
  if (options_.load_database) {
    data::LoadStartupSettings(state_);
  }
  BuildMenus();
  BuildSubjectMenus();
  BuildToolBars();
  BuildStatusBar();
  FillFontLists();
  ConnectFormattingBar();
  RegisterStandardCommands(*this);
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
}

QSettings* MainWindow::OpenSettings() const {
  if (!options_.settings_file.isEmpty())
    return new QSettings(options_.settings_file, QSettings::IniFormat);
  return new QSettings(AppTitle(), AppTitle());
}

void MainWindow::RestorePosition() {
  std::unique_ptr<QSettings> settings(OpenSettings());
  const QRect r = ReadWindowPosition(*settings);
  move(r.topLeft());
  resize(r.size());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!isMinimized()) {
    std::unique_ptr<QSettings> settings(OpenSettings());
    WriteWindowPosition(*settings, QRect(pos(), size()));
  }
  // Open report windows close without saving.
  mdi_->closeAllSubWindows();
  event->accept();
}

DocumentWindow* MainWindow::ActiveDocument() const {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (sub == nullptr) sub = mdi_->activeSubWindow();
  return sub ? qobject_cast<DocumentWindow*>(sub->widget()) : nullptr;
}

DocumentWindow* MainWindow::NewDocument() {
  ++document_count_;
  auto* doc = new DocumentWindow(state_, services_);
  QMdiSubWindow* sub = mdi_->addSubWindow(doc);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->setGeometry(
      CascadeSlot(mdi_->viewport()->rect(), static_cast<int>(mdi_->subWindowList().size()) - 1));
  connect(doc, &DocumentWindow::SelectionSumChanged, this, [this, doc](const QString& text) {
    if (doc == ActiveDocument()) SetSumText(text);
  });
  connect(doc->gridView(), &GridView::SelectionChanged, this, [this, doc] {
    if (doc == ActiveDocument()) UpdateFormattingBar();
  });
  sub->show();
  mdi_->setActiveSubWindow(sub);
  doc->gridView()->setFocus();
  return doc;
}

void MainWindow::RunCommand(const QString& name) {
  try {
    if (!commands_.Run(name)) NotFinished();
  } catch (const std::exception& e) {
    services_.Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  }
}

void MainWindow::RunSubjectCommand(const QString& name, int index) {
  try {
    if (!commands_.RunIndexed(name, index)) NotFinished();
  } catch (const std::exception& e) {
    services_.Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  }
}

void MainWindow::NotFinished() {
  services_.Message(this, NoticeCaption(), NotFinishedText(), QMessageBox::Information);
}

void MainWindow::ToolbarClick(int index) {
  DocumentWindow* doc = ActiveDocument();
  if (doc == nullptr) return;
  if (const char* command = ToolbarCommand(index)) {
    try {
      if (!commands_.Run(QString::fromLatin1(command))) NotFinished();
    } catch (const std::exception&) {
      // The tool bar ignores errors.
    }
  }
  if (index <= 14 && ActiveDocument() == doc) doc->gridView()->setFocus();
}

void MainWindow::SetSumText(const QString& text) {
  panels_[1]->setText(text);
}

void MainWindow::OnSubWindowActivated() {
  if (ActiveDocument() != nullptr) UpdateFormattingBar();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert &&
      watched == QApplication::focusWidget()) {
    insert_mode_ = !insert_mode_;
    panels_[0]->setText(insert_mode_ ? QStringLiteral("插入") : QStringLiteral("改写"));
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace app
