// Every place where text from a workbook, a dialog or a grid file meets the
// SQL the program builds: names and values with quotes, comment markers and
// statement separators must stay text. None may change another table, widen
// a condition, or surface as an untranslated engine error.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../hostile_names.h"
#include "data/import.h"
#include "data/score_database.h"
#include "data/xlsx_writer.h"
#include "grid/grid_file.h"
#include "reports/single_subject.h"
#include "reports/student_list.h"
#include "score_fixture.h"
#include "settings/options_model.h"
#include "settings/stored_settings.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kNasty = test_data::HostileTexts();

// The rows of every table but `skip`, so that any change to them shows.
// The copy of 成绩表's columns the statistics reports keep beside it
// (stats/stored_columns.h) is a cache of the table, not data of its own.
std::string Tables(const std::string& db_path, const std::string& skip = {}) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::vector<std::string> tables;
  std::string out;
  auto dump = [&](const std::string& sql, std::vector<std::string>* first_column) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      out += "<error " + sql + ">\n";
      return;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* t = sqlite3_column_text(stmt, c);
        out += t ? reinterpret_cast<const char*>(t) : "<null>";
        out += '\t';
      }
      if (first_column)
        first_column->push_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
      out += '\n';
    }
    sqlite3_finalize(stmt);
  };
  dump(
      "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name <> '成绩表快照' ORDER BY "
      "name",
      &tables);
  for (const std::string& t : tables)
    if (t != skip) dump("SELECT * FROM \"" + t + "\" ORDER BY rowid", nullptr);
  sqlite3_close(db);
  return out;
}

// An engine message that reached the user as SQLite wrote it.
bool LooksRaw(const std::string& message) {
  for (const char* word : {"syntax error", "near \"", "no such", "unrecognized", "SQL logic"})
    if (message.find(word) != std::string::npos) return true;
  return false;
}

// An exam whose schools, classes, names and teachers are the texts above,
// with one extra score column whose name is itself SQL.
class Injection : public ::testing::Test {
 protected:
  static constexpr const char* kSqlColumn = "备注;DELETE FROM 教师表 --";

  void SetUp() override {
    const size_t n = kNasty.size();
    data::Workbook book;
    for (const char* name : {"Sheet1", "Sheet2", "Sheet3"}) book.AddSheet(name);
    data::Sheet& scores = book.sheets()[0];
    const char* header[] = {"学校", "学号", "班级", "姓名", "语文", "数学", kSqlColumn};
    for (size_t c = 0; c < 7; ++c) scores.SetText(0, c, header[c]);
    data::Sheet& teachers = book.sheets()[1];
    const char* teacher_header[] = {"学校", "班级", "语文", "数学"};
    for (size_t c = 0; c < 4; ++c) teachers.SetText(0, c, teacher_header[c]);
    for (size_t i = 0; i < n; ++i) {
      scores.SetText(i + 1, 0, School(i));
      scores.SetNumber(i + 1, 1, 100 + i);
      scores.SetText(i + 1, 2, Class(i));
      scores.SetText(i + 1, 3, kNasty[i]);
      scores.SetNumber(i + 1, 4, 60 + 2 * i);
      scores.SetNumber(i + 1, 5, 90 - i);
      scores.SetNumber(i + 1, 6, i);
      teachers.SetText(i + 1, 0, School(i));
      teachers.SetText(i + 1, 1, Class(i));
      teachers.SetText(i + 1, 2, Teacher(i));
      teachers.SetText(i + 1, 3, kNasty[(i + 1) % n]);
    }
    data::Sheet& lines = book.sheets()[2];
    const char* line_names[] = {"项目", "满分", "优秀", "优良", "及格", "主科", "权重"};
    const double chinese[] = {100, 85, 75, 60, 1, 100}, math[] = {100, 85, 75, 60, 0, 100};
    for (size_t r = 0; r < 7; ++r) lines.SetText(r, 0, line_names[r]);
    lines.SetText(0, 1, "语文");
    lines.SetText(0, 2, "数学");
    for (size_t r = 1; r < 7; ++r) {
      lines.SetNumber(r, 1, chinese[r - 1]);
      lines.SetNumber(r, 2, math[r - 1]);
    }
    const std::string path =
        (fs::path(db_.state.database_path).parent_path() / "exam.xlsx").string();
    data::WriteWorkbookXlsx(path, book);
    common::NullProgress progress;
    data::ImportResult r = data::ImportExam(db_.state, path, progress);
    ASSERT_TRUE(r.ok) << r.message;
    data::LoadTitleSettings(db_.state);
  }

  static std::string School(size_t i) { return kNasty[(i + 3) % kNasty.size()]; }
  static std::string Class(size_t i) { return kNasty[(i + 5) % kNasty.size()]; }
  static std::string Teacher(size_t i) { return kNasty[i]; }
  std::string Snapshot() const { return Tables(db_.state.database_path); }

  reports_test::TempDatabase db_;
};

TEST_F(Injection, TheImportStoresEveryTextAsItIs) {
  engine::Database db = db_.Open();
  engine::Recordset rs = db.OpenRecordset("SELECT 学校, 班级, 姓名 FROM 统计表 ORDER BY 学号");
  for (size_t i = 0; i < kNasty.size(); ++i, rs.MoveNext()) {
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.FieldValue(0).AsText(), School(i));
    EXPECT_EQ(rs.FieldValue(1).AsText(), Class(i));
    EXPECT_EQ(rs.FieldValue(2).AsText(), kNasty[i]);
  }
  EXPECT_EQ(db.ColumnNames("成绩表").back(), kSqlColumn);
}

TEST_F(Injection, TeacherLookupsQuoteSchoolsClassesAndTeachers) {
  const std::string before = Snapshot();
  output::Document per_class;
  reports::ClassSubjectStats(per_class, db_.state, 1);
  const grid::ReportGrid& g = per_class.grid;
  int matched = 0;
  for (int r = 2; r <= g.Rows() - 2; ++r) {
    for (size_t i = 0; i < kNasty.size(); ++i) {
      if (g.CellText(r, 1) != School(i) || g.CellText(r, 2) != Class(i)) continue;
      EXPECT_EQ(g.CellText(r, 3), Teacher(i)) << "row " << r;
      ++matched;
    }
  }
  EXPECT_EQ(matched, static_cast<int>(kNasty.size()));

  output::Document per_teacher;
  reports::TeacherSubjectStats(per_teacher, db_.state, 1);
  // One row per teacher besides the header, 合计 and trailing rows, each
  // with the subject beside it: no teacher's quote broke its lookup.
  EXPECT_EQ(per_teacher.grid.Rows(), static_cast<int>(kNasty.size()) + 3);
  for (int r = 2; r <= per_teacher.grid.Rows() - 2; ++r)
    EXPECT_EQ(per_teacher.grid.CellText(r, 4), "语文") << "row " << r;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Injection, StudentListSchoolAndClassAreLiteralsThatNeverWiden) {
  const std::string before = Snapshot();
  for (size_t i = 0; i < kNasty.size(); ++i) {
    SCOPED_TRACE(School(i));
    reports::StudentListOptions o = reports::OpenStudentListDialog(db_.state);
    reports::ChoosePreset(o, 1);
    o.tab = 1;
    o.column1 = "语文";
    o.op1 = ">=";
    o.value1 = "0";
    o.school = School(i);
    o.klass = Class(i);
    common::Result<output::Document> r = reports::RunStudentList(o, db_.state);
    ASSERT_TRUE(r.ok()) << r.message();
    // The header row, one student, the trailing empty row.
    EXPECT_EQ(r.value().grid.Rows(), 3);
  }
  reports::StudentListOptions o = reports::OpenStudentListDialog(db_.state);
  o.tab = 1;
  o.column1 = "语文";
  o.op1 = ">=";
  o.value1 = "0";
  o.school = "x' OR '1'='1";
  common::Result<output::Document> r = reports::RunStudentList(o, db_.state);
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_EQ(r.value().grid.Rows(), 2);  // nobody: the quote did not end the literal
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Injection, StudentListConditionsAreRefusedInChinese) {
  const std::string before = Snapshot();
  struct Case {
    std::string column, op, value;
  };
  const Case cases[] = {
      {"语文", ">", "80 or 1=1"},     {"语文", ">", "0; DROP TABLE 统计表"},
      {"语文", ">", "80 --"},         {"语文", ">", "'80'"},
      {"语文", ">", "80)"},           {"语文", ">", ""},
      {"语文 or 1=1", ">", "80"},     {"姓名='' OR ''=''", "=", "0"},
      {"语文", "= 0 or 1=1 --", "0"}, {"语文", ";", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column + " " + c.op + " " + c.value);
    reports::StudentListOptions o = reports::OpenStudentListDialog(db_.state);
    o.tab = 1;
    o.column1 = c.column;
    o.op1 = c.op;
    o.value1 = c.value;
    common::Result<output::Document> r = reports::RunStudentList(o, db_.state);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.message().empty());
    EXPECT_FALSE(LooksRaw(r.message())) << r.message();
  }
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Injection, TitleTextsAreStoredIntactAndTouchNothingElse) {
  const std::string exam_before = Tables(db_.state.database_path, "bsxtable");
  for (const std::string& text : kNasty) {
    SCOPED_TRACE(text);
    settings::TitlePage page;
    page.school = text;
    page.main_title = text + "4";
    page.right_subtitle = text + "6";
    settings::StoreTitlePage(page, db_.state);
    const data::TitleSettings& t = db_.state.title_settings;
    EXPECT_EQ(t.School + t.MainTitle + t.RightSubtitle, text + text + "4" + text + "6");
  }
  EXPECT_EQ(Tables(db_.state.database_path, "bsxtable"), exam_before);
}

TEST_F(Injection, StoredSettingsTakeNumbersAndKnownNamesOnly) {
  engine::Database db = db_.Open();
  const std::string before = Snapshot();
  EXPECT_FALSE(settings::StoreSetting(db, "平均分' OR '1'='1", "10"));
  EXPECT_FALSE(settings::StoreSetting(db, "主标题 ='x', 左副标题", "y"));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(settings::StoreSetting(db, "平均分", "35; DROP TABLE 成绩表"));
  EXPECT_TRUE(settings::StoreSetting(db, "单科段", "5' --"));
  EXPECT_TRUE(settings::StoreSetting(db, "主标题", "'; DELETE FROM xtsztable; --"));
  std::string stored;
  for (const auto& [name, value] : settings::ReadStoredSettings(db))
    stored += name + "=" + value + "\n";
  EXPECT_NE(stored.find("平均分=35\n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("单科段=5\n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("主标题='; DELETE FROM xtsztable; --\n"), std::string::npos) << stored;
  EXPECT_TRUE(db.TableExists("成绩表"));
}

TEST_F(Injection, GridFileTextsStayTextThroughSaveAndOpen) {
  grid::ReportGrid g(static_cast<int>(kNasty.size()) + 1, 3);
  for (size_t i = 0; i < kNasty.size(); ++i) {
    g.SetCellText(static_cast<int>(i) + 1, 1, kNasty[i]);
    g.SetCellText(static_cast<int>(i) + 1, 2, School(i));
  }
  g.SetCellText(0, 1, kSqlColumn);
  const std::string path =
      (fs::path(db_.state.database_path).parent_path() / "nasty.json").string();
  ASSERT_TRUE(grid::SaveGridFile(path, g, "'; DROP TABLE 成绩表; --", "<script>").ok());
  const std::string before = Snapshot();
  grid::GridDocument doc;
  ASSERT_TRUE(grid::OpenGridFile(path, doc).ok());
  EXPECT_EQ(doc.caption, "'; DROP TABLE 成绩表; --");
  EXPECT_EQ(doc.title, "<script>");
  EXPECT_EQ(doc.grid.CellText(0, 1), kSqlColumn);
  for (size_t i = 0; i < kNasty.size(); ++i)
    EXPECT_EQ(doc.grid.CellText(static_cast<int>(i) + 1, 1), kNasty[i]);
  EXPECT_EQ(Snapshot(), before);
}

// The quoting every one of the above relies on: any text, doubled quotes,
// through the Jet dialect and back.
TEST(QuoteSql, AnyTextRoundTripsThroughAJetLiteral) {
  reports_test::TempDatabase temp;
  engine::Database db = temp.Open();
  db.Execute("CREATE TABLE 文本 (t text (255))");
  std::vector<std::string> texts = kNasty;
  texts.push_back("\r\n");
  texts.push_back("'");
  texts.push_back("*");
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    db.Execute("DELETE FROM 文本");
    db.Execute("INSERT INTO 文本 (t) VALUES ('" + data::QuoteSql(text) + "')");
    engine::Recordset rs =
        db.OpenRecordset("SELECT t FROM 文本 WHERE t = '" + data::QuoteSql(text) + "'");
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.FieldValue(0).AsText(), text);
  }
}

}  // namespace
