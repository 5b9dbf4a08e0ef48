// `scorestat FILE...`: what the file manager's "open with" hands the program.
#include "app/open_arguments.h"

#include <QFile>
#include <QMdiArea>

#include "app/print_commands.h"
#include "app_fixture.h"
#include "grid/grid_file.h"

namespace app_test {
namespace {

using OpenArgumentsTest = AppFixture;

TEST(ProgramArgumentsTest, DatabaseAndFilesAreTakenOtherOptionsLeft) {
  struct Case {
    QStringList args;
    QString database;
    QStringList files;
  } cases[] = {
      {{"scorestat"}, "", {}},
      {{"scorestat", "--db", "x.db", "a.scg", "b.xlsx"}, "x.db", {"a.scg", "b.xlsx"}},
      // An option Qt did not take is no file to open.
      {{"scorestat", "--db=y.db", "--verbose", "c.json"}, "y.db", {"c.json"}},
      // --db without its path at the end: the default database.
      {{"scorestat", "d.ods", "--db"}, "", {"d.ods"}},
  };
  for (const Case& c : cases) {
    const app::ProgramArguments parsed = app::ParseProgramArguments(c.args);
    EXPECT_EQ(parsed.database, c.database) << c.args.join(' ').toStdString();
    EXPECT_EQ(parsed.files, c.files) << c.args.join(' ').toStdString();
  }
}

TEST_F(OpenArgumentsTest, AWorkbookIsImportedOnlyAfterTheUserSaysYes) {
  // The file manager may hand over an upper-case ending.
  const QString workbook = dir.path() + QStringLiteral("/期中.XLSX");
  ASSERT_TRUE(QFile::copy(QStringLiteral(SCORESTAT_SOURCE_DIR "/examples/sample.xlsx"), workbook));
  app::MainWindow& w = Window();

  services.answer = false;
  app::OpenArgumentFiles(w, {workbook});
  ASSERT_EQ(services.questions.size(), 1u);
  EXPECT_TRUE(services.questions[0].text.startsWith(QStringLiteral("导入这个工作簿？")));
  EXPECT_TRUE(services.questions[0].text.contains(workbook));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(state.subject_lines.Count(), 0);

  services.answer = true;
  app::OpenArgumentFiles(w, {workbook});
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("EXCEL导入成功")));
  EXPECT_GT(state.subject_lines.Count(), 0);
  EXPECT_TRUE(w.mdiArea()->subWindowList().isEmpty());
}

TEST_F(OpenArgumentsTest, GridFilesOpenInWindowsOfTheirOwnAndABrokenOneIsRefused) {
  grid::ReportGrid g(3, 3);
  g.SetCellText(1, 1, "张三");
  const QString good = dir.path() + QStringLiteral("/名次.scg");
  ASSERT_TRUE(grid::SaveGridFile(good.toStdString(), g, "名次表", "高一名次表"));
  const QString broken = dir.path() + QStringLiteral("/坏.json");
  QFile file(broken);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("{\"cells\": [");
  file.close();

  app::MainWindow& w = Window();
  app::OpenArgumentFiles(w, {good, broken});
  // The broken file leaves no empty window behind, only its message; no
  // question is asked about grid files.
  ASSERT_EQ(w.mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_TRUE(services.questions.empty());
  app::DocumentWindow* doc = w.ActiveDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->grid().CellText(1, 1), "张三");
  EXPECT_EQ(doc->document().caption, "名次表");
  // 保存 goes back to the file it came from.
  EXPECT_EQ(app::GridFilePathOf(*doc), good);
}

}  // namespace
}  // namespace app_test
