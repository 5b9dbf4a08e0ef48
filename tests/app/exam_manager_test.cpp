// 考试管理 as the user works it: the table, a switch that rebuilds the
// subject menus, the question before a delete, and the refusals.
#include "app/exam_manager_window.h"

#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "../stats/analysis_exam.h"
#include "data/exam_library.h"
#include "dialog_fixture.h"

namespace app_test {
namespace {

class ExamManagerTest : public ExamFixture {
 protected:
  void SetUp() override {
    ExamFixture::SetUp();
    // A second exam with other subjects (语文, 数学, 体育), current now.
    const std::string path = (dir.path() + QStringLiteral("/期末.xlsx")).toStdString();
    analysis_test::WriteExamBook(analysis_test::ExamRows(), path);
    common::NullProgress progress;
    ASSERT_TRUE(data::ImportExam(state, path, progress).ok);
    Window().BuildSubjectMenus();
    Trigger("ksgl");
    manager = FindDialog<app::ExamManagerWindow>("ksglfrm");
    ASSERT_NE(manager, nullptr);
    table = manager->findChild<QTableWidget*>(QStringLiteral("examTable"));
  }
  void Press(const char* button) {
    manager->findChild<QPushButton*>(QString::fromLatin1(button))->click();
  }
  QString Cell(int row, int col) { return table->item(row, col)->text(); }
  // The items of the 各班单科统计 menu after its first (科目).
  int SubjectItems() {
    auto* menu = Window().findChild<QMenu*>(QStringLiteral("classtj"));
    return menu ? static_cast<int>(menu->actions().size()) - 1 : -1;
  }

  app::ExamManagerWindow* manager = nullptr;
  QTableWidget* table = nullptr;
};

TEST_F(ExamManagerTest, SwitchRebuildsTheSubjectMenusWithoutARestart) {
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(Cell(1, 7), QStringLiteral("是"));  // the exam imported last is current
  ASSERT_EQ(SubjectItems(), 3);                 // 语文 数学 体育
  table->selectRow(0);
  Press("cmdUse");
  EXPECT_EQ(data::CurrentExamId(state.database_path), 1);
  EXPECT_EQ(SubjectItems(), 9);  // the sample's nine subjects
  EXPECT_EQ(Cell(0, 7), QStringLiteral("是"));
  EXPECT_TRUE(Cell(1, 7).isEmpty());
}

TEST_F(ExamManagerTest, DeleteAsksFirstAndNeverTakesTheCurrentExam) {
  table->selectRow(0);
  services.answer = false;
  Press("cmdDelete");
  ASSERT_EQ(services.questions.size(), 1u);
  EXPECT_TRUE(services.questions[0].text.contains(QStringLiteral("sample")));
  EXPECT_EQ(table->rowCount(), 2) << "answered 否";
  services.answer = true;
  table->selectRow(1);  // the current exam
  Press("cmdDelete");
  EXPECT_EQ(table->rowCount(), 2);
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_TRUE(MessageTexts().back().contains(QStringLiteral("当前考试")));
  table->selectRow(0);
  Press("cmdDelete");
  EXPECT_EQ(table->rowCount(), 1);
}

}  // namespace
}  // namespace app_test
