#include "app/exam_manager_window.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_util.h"
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "data/exam_library.h"
#include "engine/error.h"

namespace app {
namespace {

const char* const kHeadings[] = {"编号",   "名称",   "导入时间", "学生数", "学校数",
                                 "班级数", "科目数", "当前",     "源文件"};

QTableWidgetItem* Item(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

QString Joined(const std::vector<std::string>& parts) {
  QStringList list;
  for (const std::string& p : parts) list << Qs(p);
  return list.join(QStringLiteral("、"));
}

}  // namespace

ExamManagerWindow::ExamManagerWindow(MainWindow& main)
    : QDialog(&main, Qt::Dialog), main_(main), table_(Named<QTableWidget>(this, "examTable")) {
  setObjectName(QStringLiteral("ksglfrm"));
  setWindowTitle(QStringLiteral("考试管理"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  table_->setColumnCount(static_cast<int>(std::size(kHeadings)));
  QStringList headings;
  for (const char* h : kHeadings) headings << QString::fromUtf8(h);
  table_->setHorizontalHeaderLabels(headings);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* use = DialogButton(this, "cmdUse", "切换");
  auto* rename = DialogButton(this, "cmdRename", "重命名");
  auto* remove = DialogButton(this, "cmdDelete", "删除");
  auto* save = DialogButton(this, "cmdExport", "导出");
  auto* close_button = DialogButton(this, "cmdClose", "关闭");
  connect(use, &QPushButton::clicked, this, &ExamManagerWindow::OnUse);
  connect(rename, &QPushButton::clicked, this, &ExamManagerWindow::OnRename);
  connect(remove, &QPushButton::clicked, this, &ExamManagerWindow::OnDelete);
  connect(save, &QPushButton::clicked, this, &ExamManagerWindow::OnExport);
  connect(close_button, &QPushButton::clicked, this, &QDialog::close);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &ExamManagerWindow::OnUse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(ButtonRow({use, rename, remove, save, close_button}));
  resize(760, 320);
  Reload();
}

void ExamManagerWindow::Reload() {
  const int selected = SelectedId();
  const std::string& path = main_.state().database_path;
  const std::vector<data::ExamInfo> exams = data::ListExams(path);
  const int current = data::CurrentExamId(path);
  table_->setRowCount(static_cast<int>(exams.size()));
  for (int r = 0; r < static_cast<int>(exams.size()); ++r) {
    const data::ExamInfo& e = exams[static_cast<std::size_t>(r)];
    const QString cells[] = {QString::number(e.id),
                             Qs(e.name),
                             Qs(e.imported_at),
                             QString::number(e.students),
                             QString::number(e.schools),
                             QString::number(e.classes),
                             QString::number(e.subjects),
                             e.id == current ? QStringLiteral("是") : QString(),
                             Joined(e.sources)};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
      table_->setItem(r, c, Item(cells[c]));
    if (e.id == selected || (selected == 0 && e.id == current)) table_->selectRow(r);
  }
  table_->resizeColumnsToContents();
}

int ExamManagerWindow::SelectedRow() const {
  const QList<QTableWidgetItem*> items = table_->selectedItems();
  return items.isEmpty() ? -1 : items.front()->row();
}

int ExamManagerWindow::SelectedId() const {
  const int row = SelectedRow();
  return row < 0 ? 0 : table_->item(row, 0)->text().toInt();
}

QString ExamManagerWindow::SelectedName() const {
  return table_->item(SelectedRow(), 1)->text();
}

template <typename Action>
bool ExamManagerWindow::Run(Action action) {
  try {
    action();
    return true;
  } catch (const data::LibraryError& e) {
    main_.services().Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  } catch (const engine::Error& e) {
    main_.services().Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
  }
  return false;
}

void ExamManagerWindow::OnUse() {
  const int id = SelectedId();
  if (id == 0) return;
  const bool done = Run([&] {
    ProgressWindow progress(this);
    progress.Start(100);
    data::SwitchExam(main_.state(), id, progress);
  });
  if (done) main_.BuildSubjectMenus();
  Reload();
}

void ExamManagerWindow::OnRename() {
  const int id = SelectedId();
  if (id == 0) return;
  const QString old_name = SelectedName();
  const QString name = main_.services().AskText(this, QStringLiteral("重命名"),
                                                QStringLiteral("考试名称："), old_name);
  if (name.isEmpty() || name == old_name) return;
  Run([&] { data::RenameExam(main_.state().database_path, id, Std(name)); });
  Reload();
}

void ExamManagerWindow::OnDelete() {
  const int id = SelectedId();
  if (id == 0) return;
  const QString name = SelectedName();
  const QString question = QStringLiteral("确定要删除考试“%1”吗？删除后不能恢复。").arg(name);
  if (!main_.services().Ask(this, AppTitle(), question)) return;
  Run([&] { data::DeleteExam(main_.state().database_path, id); });
  Reload();
}

void ExamManagerWindow::OnExport() {
  const int id = SelectedId();
  if (id == 0) return;
  const QString name = SelectedName();
  const QString path = main_.services().SaveFileName(this, QStringLiteral("导出考试"),
                                                     QStringLiteral("Excel 工作簿(*.xlsx)"),
                                                     name + QStringLiteral(".xlsx"));
  if (path.isEmpty()) return;
  if (Run([&] { data::ExportExam(main_.state().database_path, id, Std(path)); }))
    main_.services().Message(this, QStringLiteral("提示"), QStringLiteral("已导出到 ") + path);
}

ExamManagerWindow* OpenExamManager(MainWindow& main) {
  auto* window = main.findChild<ExamManagerWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (window == nullptr) window = new ExamManagerWindow(main);
  window->Reload();
  window->show();
  window->raise();
  return window;
}

}  // namespace app
