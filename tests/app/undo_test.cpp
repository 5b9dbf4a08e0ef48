// 撤销 and 重做: every grid edit, format, insertion, deletion, sort and
// paste of a report window is one step of that window's history.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <functional>

#include "app_fixture.h"
#include "widgets/font_button.h"

namespace app_test {
namespace {

// What a user sees of a grid; styles by value, as indexes may differ.
struct Looks {
  std::vector<std::string> texts;
  std::vector<grid::CellStyle> styles;
  std::vector<int> widths, heights;
  std::vector<grid::CellRect> merges;
  int fixed_rows;
  double font_size;
  bool operator==(const Looks&) const = default;
};

Looks LooksOf(const grid::ReportGrid& g) {
  Looks l{{}, {}, {}, {}, g.Merges(), g.FixedRows(), g.DefaultFont().size};
  for (int r = 0; r < g.Rows(); ++r) {
    l.heights.push_back(g.RowHeight(r));
    for (int c = 0; c < g.Cols(); ++c) {
      l.texts.emplace_back(g.CellText(r, c));
      l.styles.push_back(g.CellStyleAt(r, c));
    }
  }
  for (int c = 0; c < g.Cols(); ++c) l.widths.push_back(g.ColWidth(c));
  return l;
}

class UndoTest : public AppFixture {
 public:
  app::MainWindow& Main() { return Window(); }
  app::DocumentWindow* Report() {
    app::DocumentWindow* doc = NewReport(1, 4);
    grid::ReportGrid& g = doc->grid();
    g.SetCellText(0, 1, "姓名");
    g.SetCellText(0, 2, "语文");
    g.SetCellText(0, 3, "数学");
    for (const char* line : {"\t张三\t87\t92", "\t李四\t95\t78", "\t王五\t66\t81", ""})
      g.AddItem(line);
    doc->SyncFromDocument();
    return doc;
  }
  QAction* Action(const char* name) {
    return Window().findChild<QAction*>(QString::fromLatin1(name));
  }
  // Types `text` into a cell as a user does: the first key opens the editor.
  void Type(app::DocumentWindow* doc, int row, int col, const char* text) {
    doc->grid().SetActiveCell(row, col);
    const QString typed = QString::fromUtf8(text);
    QTest::keyClicks(doc->gridView(), typed.left(1));
    ASSERT_TRUE(doc->gridView()->IsEditing());
    doc->gridView()->Editor()->insert(typed.mid(1));
    QTest::keyClick(doc->gridView()->Editor(), Qt::Key_Return);
  }
  void DoubleClick(app::DocumentWindow* doc, int row, int col) {
    QTest::mouseDClick(doc->gridView()->viewport(), Qt::LeftButton, {},
                       doc->gridView()->CellRect(row, col).center());
  }
};

struct UserAction {
  const char* what;
  const char* step;  // the name 撤销 shows
  std::function<void(UndoTest&, app::DocumentWindow*)> act;
};

// Selects `area` and triggers the menu item `name`, as a user does.
std::function<void(UndoTest&, app::DocumentWindow*)> OnSelection(grid::CellRect area,
                                                                 const char* name) {
  return [area, name](UndoTest& t, app::DocumentWindow* doc) {
    doc->grid().Select(area);
    t.Action(name)->trigger();
  };
}

// One of each kind the history must cover, done the way a user does it.
const std::vector<UserAction>& Actions() {
  static const std::vector<UserAction> actions = {
      {"a cell typed over", "编辑单元格",
       [](UndoTest& t, app::DocumentWindow* doc) { t.Type(doc, 2, 2, "100"); }},
      {"bold from the formatting bar", "加粗",
       [](UndoTest& t, app::DocumentWindow* doc) {
         doc->grid().Select({1, 1, 3, 2});
         t.Main().findChild<widgets::FontButton*>(QStringLiteral("FontButton1"))->Click(0);
       }},
      {"rows inserted", "插入行", OnSelection({2, 1, 3, 1}, "mnuInsertRows")},
      {"a column deleted", "删除列", OnSelection({1, 2, 1, 2}, "mnuDeleteByCol")},
      {"a header double-click sort", "排序",
       [](UndoTest& t, app::DocumentWindow* doc) {
         doc->grid().SetAllowUserSort(true);
         t.DoubleClick(doc, 0, 3);
       }},
      {"a paste of two rows", "粘贴",
       [](UndoTest& t, app::DocumentWindow* doc) {
         QApplication::clipboard()->setText(QStringLiteral("甲\t1\n乙\t2"));
         doc->grid().SetActiveCell(2, 1);
         t.Action("mnuPaste")->trigger();
       }},
      {"the font made larger", "增大字体",
       [](UndoTest& t, app::DocumentWindow*) { t.Action("zdsize")->trigger(); }},
      {"a rank column", "选定的列排名", OnSelection({1, 2, 1, 2}, "zdypm")},
  };
  return actions;
}

class EveryActionTest : public UndoTest, public testing::WithParamInterface<std::size_t> {};

TEST_P(EveryActionTest, UndoAndRedoFromTheEditMenu) {
  const UserAction& a = Actions()[GetParam()];
  app::DocumentWindow* doc = Report();
  const Looks before = LooksOf(doc->grid());
  EXPECT_FALSE(Action("mnuUndo")->isEnabled());
  a.act(*this, doc);
  const Looks after = LooksOf(doc->grid());
  ASSERT_NE(before, after) << a.what;
  EXPECT_EQ(Action("mnuUndo")->text(), QStringLiteral("撤销(&U) ") + QString::fromUtf8(a.step));

  Trigger("mnuUndo");
  EXPECT_EQ(LooksOf(doc->grid()), before) << a.what;
  EXPECT_FALSE(Action("mnuUndo")->isEnabled());
  EXPECT_TRUE(Action("mnuRedo")->isEnabled());
  Trigger("mnuRedo");
  EXPECT_EQ(LooksOf(doc->grid()), after) << a.what;
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryActionTest, testing::Range<std::size_t>(0, Actions().size()));

TEST_F(UndoTest, CtrlZAndCtrlYActOnTheActiveWindowOnly) {
  app::DocumentWindow* first = Report();
  app::DocumentWindow* second = Report();
  Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  auto edit = [this](app::DocumentWindow* doc, const char* text) { Type(doc, 1, 2, text); };
  edit(second, "11");
  Window().mdiArea()->setActiveSubWindow(Window().mdiArea()->subWindowList().first());
  ASSERT_EQ(Window().ActiveDocument(), first);
  edit(first, "22");
  edit(first, "33");

  QTest::keyClick(first->gridView(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(first->grid().CellText(1, 2), "22");
  EXPECT_EQ(second->grid().CellText(1, 2), "11");  // not the other window's step
  QTest::keyClick(first->gridView(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(first->grid().CellText(1, 2), "87");
  QTest::keyClick(first->gridView(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(first->grid().CellText(1, 2), "22");
}

// A report filled anew, or a grid file opened into the window, replaces the
// grid: the steps before it no longer fit and must not be applied to it.
TEST_F(UndoTest, NewContentsForgetTheHistory) {
  app::DocumentWindow* doc = Report();
  doc->grid().Select({1, 1, 1, 1});
  Trigger("mnuDeleteByRow");
  ASSERT_TRUE(Action("mnuUndo")->isEnabled());
  grid::ReportGrid fresh(3, 3);
  fresh.SetCellText(1, 1, "新");
  doc->grid().ReplaceContents(std::move(fresh));
  doc->SyncFromDocument();
  EXPECT_FALSE(Action("mnuUndo")->isEnabled());

  // A change nobody recorded is noticed at the next undo as well.
  doc->grid().Select({1, 1, 1, 1});
  Trigger("mnuInsertRows");
  doc->grid().SetCellText(1, 1, "外");  // not through the history
  Trigger("mnuUndo");
  EXPECT_EQ(doc->grid().Rows(), 4);
  EXPECT_EQ(doc->grid().CellText(1, 1), "外");
  EXPECT_FALSE(Action("mnuUndo")->isEnabled());
}

}  // namespace
}  // namespace app_test
