// The statistics dialogs over the sample examination: a main window whose
// scratch database holds examples/sample.xlsx, and the means to work a
// dialog's controls by their names the way a user does.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "common/progress.h"
#include "data/import.h"
#include "data/score_database.h"
#include "output/document.h"

namespace app_test {

class ExamFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    common::NullProgress progress;
    const data::ImportResult imported =
        data::ImportExam(state, SCORESTAT_SOURCE_DIR "/examples/sample.xlsx", progress);
    ASSERT_TRUE(imported.ok) << imported.message;
    data::LoadSubjectLines(state);
    data::LoadSystemSettings(state);
    data::LoadTitleSettings(state);
  }

  // The top-level dialog `name` of the main window, the newest when a closed
  // one still waits for deletion.
  template <typename Dialog = QWidget>
  Dialog* FindDialog(const char* name) {
    const QList<Dialog*> found =
        Window().findChildren<Dialog*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    return found.isEmpty() ? nullptr : found.back();
  }
  void DeletePendingWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // The active report window's grid, nullptr when none is open.
  const grid::ReportGrid* ActiveGrid() {
    app::DocumentWindow* doc = Window().ActiveDocument();
    return doc ? &doc->grid() : nullptr;
  }
  std::vector<QString> MessageTexts() const {
    std::vector<QString> texts;
    for (const auto& m : services.messages) texts.push_back(m.text);
    return texts;
  }
};

template <typename Widget>
Widget* Control(QWidget* dialog, const char* name) {
  auto* w = dialog->findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

inline void Click(QWidget* dialog, const char* name) {
  if (auto* b = Control<QAbstractButton>(dialog, name)) b->click();
}

// Picks `text` from the list of the combo box `name` (or types it, in an
// editable box whose list lacks it), as a user's choice does.
inline void Choose(QWidget* dialog, const char* name, const QString& text) {
  auto* box = Control<QComboBox>(dialog, name);
  if (box == nullptr) return;
  const int index = box->findText(text, Qt::MatchExactly);
  if (index < 0) {
    ASSERT_TRUE(box->isEditable()) << name << " has no item " << text.toStdString();
    box->setEditText(text);
    return;
  }
  box->setCurrentIndex(index);
  emit box->activated(index);
}

inline void Type(QWidget* dialog, const char* name, const QString& text) {
  if (auto* box = Control<QLineEdit>(dialog, name)) box->setText(text);
}

inline QStringList Items(QWidget* dialog, const char* name) {
  QStringList items;
  if (auto* box = Control<QComboBox>(dialog, name))
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// A grid as its cells' texts, for comparing a dialog's report with the
// core's report for the same choices.
inline std::vector<std::vector<std::string>> Cells(const grid::ReportGrid& grid) {
  std::vector<std::vector<std::string>> cells(grid.Rows());
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = 0; c < grid.Cols(); ++c) cells[r].emplace_back(grid.CellText(r, c));
  return cells;
}

}  // namespace app_test
