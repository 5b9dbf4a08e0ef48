#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QUndoGroup>
#include <QUndoStack>
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
MainWindow::MainWindow(data::AppState& state, UiServices& services, MainWindowOptions options)
    : state_(state), services_(services), options_(std::move(options)) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(AppTitle());
  undo_group_ = new QUndoGroup(this);
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
  DisableItemsWithoutCommand();
  ConnectUndoActions();
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
  std::optional<QRect> stored = ReadWindowPosition(*settings);
  QRect r;
  if (stored) {
    r = *stored;
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    r = FirstStartGeometry(screen->availableGeometry());
  } else {
    r = QRect(kDefaultPositionTwips / kTwipsPerPixel, kDefaultPositionTwips / kTwipsPerPixel,
              kDefaultSizeTwips / kTwipsPerPixel, kDefaultSizeTwips / kTwipsPerPixel);
  }
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
  undo_group_->addStack(doc->history().stack());
  sub->show();
  mdi_->setActiveSubWindow(sub);
  doc->gridView()->setFocus();
  return doc;
}

void MainWindow::EditActiveGrid(const QString& step,
                                const std::function<void(grid::ReportGrid&)>& action) {
  DocumentWindow* doc = ActiveDocument();
  if (doc == nullptr) return;
  try {
    doc->history().Record(step, [&] { action(doc->grid()); });
  } catch (const std::exception&) {
    // The edit and format commands end silently when the grid refuses.
  }
}

void MainWindow::RunCommand(const QString& name) {
  try {
    commands_.Run(name);
  } catch (const std::exception& e) {
    services_.Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  }
}

void MainWindow::RunSubjectCommand(const QString& name, int index) {
  try {
    commands_.RunIndexed(name, index);
  } catch (const std::exception& e) {
    services_.Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  }
}

// The tool bar acts on the active window, a report or a chart; each command
// decides what it does with either (打印 prints both, 剪切 only a report).
void MainWindow::ToolbarClick(int index) {
  if (mdi_->currentSubWindow() == nullptr && mdi_->activeSubWindow() == nullptr) return;
  DocumentWindow* doc = ActiveDocument();
  if (const char* command = ToolbarCommand(index)) {
    try {
      commands_.Run(QString::fromLatin1(command));
    } catch (const std::exception&) {
      // The tool bar ignores errors.
    }
  }
  if (index <= 14 && doc != nullptr && ActiveDocument() == doc) doc->gridView()->setFocus();
}

void MainWindow::SetSumText(const QString& text) {
  panels_[1]->setText(text);
}

// The status bar and the formatting bar follow the active report window.
void MainWindow::OnSubWindowActivated() {
  DocumentWindow* doc = ActiveDocument();
  SetSumText(doc != nullptr ? doc->SumText() : QString());
  undo_group_->setActiveStack(doc != nullptr ? doc->history().stack() : nullptr);
  if (doc != nullptr) UpdateFormattingBar();
}

// 撤销 and 重做 name the step they would undo or redo, and are enabled only
// when the active report has one.
void MainWindow::ConnectUndoActions() {
  auto* undo = findChild<QAction*>(QStringLiteral("mnuUndo"));
  auto* redo = findChild<QAction*>(QStringLiteral("mnuRedo"));
  if (undo == nullptr || redo == nullptr) return;
  // Ctrl+Y as the program always had, and the desktop's own redo keys; a key
  // listed twice would make the shortcut ambiguous and do nothing.
  QList<QKeySequence> redo_keys{QKeySequence(QStringLiteral("Ctrl+Y"))};
  for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo))
    if (!redo_keys.contains(key)) redo_keys << key;
  redo->setShortcuts(redo_keys);
  const QString undo_caption = undo->text();
  const QString redo_caption = redo->text();
  auto caption = [](const QString& base, const QString& step) {
    return step.isEmpty() ? base : base + QLatin1Char(' ') + step;
  };
  connect(undo_group_, &QUndoGroup::undoTextChanged, undo,
          [undo, undo_caption, caption](const QString& step) {
            undo->setText(caption(undo_caption, step));
          });
  connect(undo_group_, &QUndoGroup::redoTextChanged, redo,
          [redo, redo_caption, caption](const QString& step) {
            redo->setText(caption(redo_caption, step));
          });
  connect(undo_group_, &QUndoGroup::canUndoChanged, undo, &QAction::setEnabled);
  connect(undo_group_, &QUndoGroup::canRedoChanged, redo, &QAction::setEnabled);
  undo->setEnabled(false);
  redo->setEnabled(false);
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
