// The one-pass figures against the grouped query and the 合计 row's query
// they stand in for: every field name, type and cell text, on every exam the
// tests have (the small exam, the sample, a generated 2,000-student exam, the
// real UCI scores, hand-made edge cases), per class, per school, per teacher
// and over the whole table.
#include "reports/group_figures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/exam_generator.h"
#include "data/import.h"
#include "data/score_database.h"
#include "data/xlsx_writer.h"
#include "reports/single_subject.h"
#include "score_fixture.h"
#include "stats/stored_columns.h"

namespace {

using reports::SubjectColumns;
using Keys = std::vector<std::string>;

const Keys kPerClass = {"学校", "班级"};
const Keys kPerSchool = {"学校"};

std::string Joined(const Keys& keys) {
  std::string out;
  for (const std::string& k : keys) out += (out.empty() ? "" : ",") + k;
  return out;
}

SubjectColumns Columns(const std::string& subject, int full_mark, int width,
                       reports::StatLines lines = {85, 75, 60}) {
  data::SystemSettings weights;
  return {subject, lines, weights, reports::Segments(full_mark, width)};
}

std::string FigureColumns(const SubjectColumns& c, int full_mark, int width) {
  return reports::StatisticColumns(c.subject, c.lines, c.weights) +
         reports::SegmentColumns(c.subject, full_mark, width);
}

// `figures` field by field and cell by cell against the records of
// `grouped_sql` and the one record of `whole_sql` (the 合计 row).
void ExpectSameFigures(engine::Database& db, const std::optional<reports::GroupFigures>& figures,
                       const std::string& grouped_sql, const std::string& whole_sql) {
  ASSERT_TRUE(figures.has_value()) << "declined";
  const output::ComputedTable& t = figures->groups;
  engine::Recordset rs = db.OpenRecordset(grouped_sql);
  ASSERT_EQ(static_cast<std::size_t>(rs.FieldCount()), t.names.size());
  for (int k = 0; k < rs.FieldCount(); ++k) {
    EXPECT_EQ(t.names[static_cast<std::size_t>(k)], rs.FieldName(k));
    EXPECT_EQ(t.types[static_cast<std::size_t>(k)], rs.FieldTypeOf(k)) << rs.FieldName(k);
  }
  std::size_t row = 0;
  for (; !rs.Eof(); rs.MoveNext(), ++row) {
    ASSERT_LT(row, t.records.size()) << "fewer groups than the query";
    for (int k = 0; k < rs.FieldCount(); ++k)
      EXPECT_EQ(t.records[row][static_cast<std::size_t>(k)].AsText(rs.FieldTypeOf(k)),
                rs.FieldValue(k).AsText(rs.FieldTypeOf(k)))
          << "group " << row << ", " << rs.FieldName(k);
  }
  EXPECT_EQ(row, t.records.size()) << "more groups than the query";

  engine::Recordset whole = db.OpenRecordset(whole_sql);
  ASSERT_EQ(static_cast<std::size_t>(whole.FieldCount()), figures->total.size());
  for (int k = 0; k < whole.FieldCount(); ++k)
    EXPECT_EQ(figures->total[static_cast<std::size_t>(k)],
              whole.FieldValue(k).AsText(whole.FieldTypeOf(k)))
        << "合计, " << whole.FieldName(k);
}

void ExpectSameAsQueries(engine::Database& db, const Keys& keys, const SubjectColumns& c,
                         int full_mark, int width, reports::ScoreSource source) {
  const std::string columns = FigureColumns(c, full_mark, width);
  ExpectSameFigures(
      db, reports::ComputeGroupFigures(db, keys, c, source),
      "select " + Joined(keys) + "," + columns + " from 成绩表  GROUP BY " + Joined(keys),
      "select " + columns + " from 成绩表");
}

// The figures over the whole table alone against the all-subject report's
// query for the subject, names and texts.
void ExpectWholeSameAsQuery(engine::Database& db, const SubjectColumns& c, int full_mark,
                            int width) {
  const std::optional<reports::GroupFigures> figures = reports::ComputeWholeFigures(db, c);
  ASSERT_TRUE(figures.has_value()) << "declined";
  engine::Recordset rs =
      db.OpenRecordset("select " + reports::CountColumns(c.subject, c.lines) +
                       reports::CompositeColumn(c.subject, c.lines, c.weights) +
                       reports::SpreadColumns(c.subject, 2) +
                       reports::SegmentColumns(c.subject, full_mark, width) + " from 成绩表");
  ASSERT_EQ(static_cast<std::size_t>(rs.FieldCount()), figures->total.size());
  ASSERT_EQ(figures->groups.names.size(), figures->total.size());
  EXPECT_TRUE(figures->groups.records.empty());
  for (int k = 0; k < rs.FieldCount(); ++k) {
    const auto i = static_cast<std::size_t>(k);
    EXPECT_EQ(figures->groups.names[i], rs.FieldName(k));
    EXPECT_EQ(figures->total[i], rs.FieldValue(k).AsText(rs.FieldTypeOf(k))) << rs.FieldName(k);
  }
}

// The teachers' figures against their grouped query over the join of
// 成绩表 and 教师表, from the table and from its stored copy.
void ExpectTeachersSameAsQueries(engine::Database& db, const SubjectColumns& c, int full_mark,
                                 int width) {
  const std::string& s = c.subject;
  data::ReplaceSavedQuery(db, "NewQry2",
                          "select 成绩表.学校,成绩表.班级,成绩表.姓名,成绩表." + s + " as " + s +
                              " ,教师表." + s +
                              "  as 教师 from 成绩表 ,教师表 where  教师表.班级=成绩表.班级 and  "
                              "教师表.学校=成绩表.学校");
  const std::string columns = FigureColumns(c, full_mark, width);
  for (const reports::ScoreSource source :
       {reports::ScoreSource::kTable, reports::ScoreSource::kStoredCopy}) {
    SCOPED_TRACE(s + " by teacher" +
                 (source == reports::ScoreSource::kTable ? " from the table" : " stored"));
    ExpectSameFigures(db, reports::ComputeTeacherFigures(db, c, source),
                      "select 学校,教师," + columns + " from NewQry2  GROUP BY 学校,教师",
                      "select " + columns + " from 成绩表");
  }
}

// Both paths on one subject, `full_mark` and `width` making the segments,
// the pass reading the table itself, then making the stored copy, then
// reading that copy.
void ExpectSameAsQueries(engine::Database& db, const Keys& keys, const SubjectColumns& c,
                         int full_mark, int width) {
  for (const reports::ScoreSource source :
       {reports::ScoreSource::kTable, reports::ScoreSource::kStoredCopy,
        reports::ScoreSource::kStoredCopy}) {
    SCOPED_TRACE(c.subject + " by " + Joined(keys) +
                 (source == reports::ScoreSource::kTable ? " from the table" : " stored"));
    ExpectSameAsQueries(db, keys, c, full_mark, width, source);
  }
}

// Every subject of the imported exam, per class and per school, with its
// lines as entered and scaled by the full mark, and two segment widths.
void ExpectSameOnExam(reports_test::TempDatabase& fixture) {
  data::LoadSubjectLines(fixture.state);
  const data::SubjectLines& sl = fixture.state.subject_lines;
  ASSERT_GT(sl.Count(), 0);
  engine::Database db = fixture.Open();
  for (int i = 0; i < sl.Count(); ++i) {
    const int full = sl.FullMark[static_cast<std::size_t>(i)];
    for (bool scaled : {false, true})
      for (int width : {10, 7}) {
        const SubjectColumns c = Columns(sl.SubjectName[static_cast<std::size_t>(i)], full, width,
                                         reports::LinesOf(sl, i, scaled));
        for (const Keys& keys : {kPerClass, kPerSchool})
          ExpectSameAsQueries(db, keys, c, full, width);
        ExpectTeachersSameAsQueries(db, c, full, width);
        ExpectWholeSameAsQuery(db, c, full, width);
      }
  }
}

void Import(reports_test::TempDatabase& fixture, const std::string& workbook) {
  common::NullProgress quiet;
  const data::ImportResult imported = data::ImportExam(fixture.state, workbook, quiet);
  ASSERT_TRUE(imported.ok) << imported.message;
}

TEST(GroupFiguresTest, MatchTheQueriesOnTheSmallExam) {
  // Absent scores, a class nobody sat, a one-student class, a half score.
  reports_test::TempDatabase fixture;
  engine::Database db = fixture.Open();
  reports_test::CreateSmallExam(db);
  ExpectSameOnExam(fixture);
}

TEST(GroupFiguresTest, MatchTheQueriesOnTheSampleAndTheRealScores) {
  // The UCI scores are out of 20 with lines of 85: no one reaches a line,
  // most segments are empty, and real zeros sit beside absences.
  for (const char* book : {"/examples/sample.xlsx", "/tests/fixtures/uci_students.xlsx"}) {
    SCOPED_TRACE(book);
    reports_test::TempDatabase fixture;
    Import(fixture, std::string(SCORESTAT_SOURCE_DIR) + book);
    ExpectSameOnExam(fixture);
  }
}

TEST(GroupFiguresTest, MatchTheQueriesOnAGeneratedExam) {
  // 2,000 students in 5 schools × 10 classes, whole-number scores (ties),
  // one student in a hundred missing a subject.
  reports_test::TempDatabase fixture;
  data::ExamOptions options;
  options.students = 2000;
  options.schools = 5;
  options.seed = 20240601;
  const std::string book = fixture.state.database_path + ".xlsx";
  data::WriteWorkbookXlsx(book, data::GenerateExam(options));
  Import(fixture, book);
  ExpectSameOnExam(fixture);
}

// A table of the hand-made cases, 班级 declared as `class_type` (姓名 left
// empty: only the teachers' join selects it).
void CreateScores(engine::Database& db, const std::string& class_type,
                  const std::vector<std::string>& rows, const std::string& score_type = "DOUBLE") {
  db.Execute("CREATE TABLE 成绩表 (学校 text (20),班级 " + class_type + ",姓名 text (20),语文 " +
             score_type + ")");
  for (const std::string& r : rows) db.Execute("INSERT INTO 成绩表 (学校,班级,语文) VALUES " + r);
}

TEST(GroupFiguresTest, MatchTheQueriesOnEdgeCases) {
  const std::vector<std::string> rows = {
      // Equal scores: 标准差 0; scores on the lines and on segment ends.
      "('一中',3,85)", "('一中',3,85)", "('一中',3,85)", "('一中',12,75)", "('一中',12,60)",
      "('一中',12,59.75)", "('一中',12,100)", "('一中',12,0)",
      // 3 before 12 as numbers, "12" before "3" as texts; Null school and class first.
      "(Null,Null,70.25)", "(Null,Null,Null)", "('二中',2,-3.5)", "('二中',2,Null)",
      "('二中',1,1048576)", "('二中',1,99.984375)", "('一中',3,84.984375)"};
  for (const char* class_type : {"DOUBLE", "text (10)"}) {
    SCOPED_TRACE(class_type);
    reports_test::TempDatabase fixture;
    engine::Database db = fixture.Open();
    CreateScores(db, class_type, rows);
    for (const Keys& keys : {kPerClass, kPerSchool}) {
      ExpectSameAsQueries(db, keys, Columns("语文", 100, 10), 100, 10);
      ExpectSameAsQueries(db, keys, Columns("语文", 150, 0, {127.5, 112.5, 90}), 150, 0);
    }
  }
}

TEST(GroupFiguresTest, TeachersMatchTheJoinOnEdgeCases) {
  // 教师表 as a grade group keeps it by hand: a class with two rows (its
  // students count for both teachers), a row without a teacher (one Null
  // group per school), a row for a class without students, a name in two
  // schools (two groups), and a class with no row at all.
  const std::vector<std::string> scores = {"('一中',1,90)", "('一中',1,60.5)", "('一中',2,70)",
                                           "('一中',3,80)", "('二中',1,50)",   "('二中',2,Null)",
                                           "(Null,1,99)"};
  const std::vector<std::string> teachers = {
      "('一中',1,'张三')", "('一中',1,'李四')", "('一中',2,Null)", "('一中',9,'王五')",
      "('二中',1,'张三')", "('二中',2,'张三')", "(Null,1,'赵六')"};
  for (const char* class_type : {"DOUBLE", "text (10)"}) {
    SCOPED_TRACE(class_type);
    reports_test::TempDatabase fixture;
    engine::Database db = fixture.Open();
    CreateScores(db, class_type, scores);
    db.Execute(std::string("CREATE TABLE 教师表 (学校 text (20),班级 ") + class_type +
               ",语文 text (20))");
    for (const std::string& r : teachers)
      db.Execute("INSERT INTO 教师表 (学校,班级,语文) VALUES " + r);
    ExpectTeachersSameAsQueries(db, Columns("语文", 100, 10), 100, 10);
  }
}

TEST(GroupFiguresTest, TeachersDeclineAJoinNotOnLikeColumns) {
  // A text 班级 against a number column is converted before it is compared,
  // and a teacher named by a number groups 3 with 3.0.
  struct Case {
    const char* why;
    const char* score_class;
    const char* teacher_columns;
  };
  const Case cases[] = {
      {"班级 text against a number", "text (10)", "班级 DOUBLE,语文 text (20)"},
      {"班级 a number against text", "DOUBLE", "班级 text (10),语文 text (20)"},
      {"a teacher column of numbers", "DOUBLE", "班级 DOUBLE,语文 DOUBLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    reports_test::TempDatabase fixture;
    engine::Database db = fixture.Open();
    CreateScores(db, c.score_class, {"('一中',1,90)"});
    db.Execute(std::string("CREATE TABLE 教师表 (学校 text (20),") + c.teacher_columns + ")");
    db.Execute("INSERT INTO 教师表 (学校,班级,语文) VALUES ('一中',1,3)");
    EXPECT_FALSE(reports::ComputeTeacherFigures(db, Columns("语文", 100, 10)));
  }
}

TEST(GroupFiguresTest, MatchTheQueriesOnAnEmptyTable) {
  // No group; the 合计 row counts 0 and leaves every other figure empty.
  reports_test::TempDatabase fixture;
  engine::Database db = fixture.Open();
  CreateScores(db, "DOUBLE", {});
  ExpectSameAsQueries(db, kPerClass, Columns("语文", 100, 10), 100, 10);
}

TEST(GroupFiguresTest, DeclineWhatTheyCannotMatchForCertain) {
  struct Case {
    const char* why;
    std::vector<std::string> rows;
    std::string score_type = "DOUBLE";
    reports::StatLines lines{85, 75, 60};
  };
  const Case cases[] = {
      // The queries count a text score and compare it above every line.
      {"a text score", {"('一中',1,80)", "('一中',1,'缺考')"}},
      // Sums of thirds depend on the order of adding.
      {"a score not in 1/64", {"('一中',1,80)", "('一中',1,66.6666666666667)"}},
      {"a score beyond 2^20", {"('一中',1,2097152)"}},
      // max() of a SINGLE column is shown with 7 digits.
      {"a SINGLE column", {"('一中',1,80)"}, "SINGLE"},
      // 0, 1/8, 1/4: 标准差 0.125 exactly, 12.5 hundredths, which the
      // running deviation may round either way.
      {"a 标准差 on a half hundredth", {"('一中',1,0)", "('一中',1,0.125)", "('一中',1,0.25)"}},
      {"a line not in 1/64", {"('一中',1,80)"}, "DOUBLE", {200.0 / 3, 75, 60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    reports_test::TempDatabase fixture;
    engine::Database db = fixture.Open();
    CreateScores(db, "DOUBLE", c.rows, c.score_type);
    for (int read = 0; read < 2; ++read)  // making the stored copy, then reading it
      EXPECT_FALSE(reports::ComputeGroupFigures(db, kPerClass, Columns("语文", 100, 10, c.lines)));
    EXPECT_FALSE(reports::ComputeGroupFigures(db, kPerClass, Columns("语文", 100, 10, c.lines),
                                              reports::ScoreSource::kTable));
  }
}

TEST(GroupFiguresTest, ADeclinedTableStillGetsTheQueriesFigures) {
  // The text score counts among the 参考人数 and above every line, as the
  // grouped query counts it.
  reports_test::TempDatabase fixture;
  {
    engine::Database db = fixture.Open();
    reports_test::CreateSmallExam(db);
    db.Execute(
        "INSERT INTO 成绩表 (学校,学号,班级,姓名,语文,数学) VALUES ('一中',11,1,'子','缺考',1)");
  }
  output::Document doc;
  reports::ClassSubjectStats(doc, fixture.state, 1);
  const grid::ReportGrid& g = doc.grid;
  ASSERT_EQ(g.CellText(2, 2), "1");
  EXPECT_EQ(g.CellText(2, 5), "5");  // 参考人数: four scores and the text
  EXPECT_EQ(g.CellText(2, 8), "3");  // 优秀人数: 90, 90 and the text
}

TEST(GroupFiguresTest, TheNextReportAfterAnEditShowsTheEditedScores) {
  // The first report makes the stored copy; an UPDATE run in 查询 raises a
  // score to 99, which the next report must show as 一中 1's 最高分.
  reports_test::TempDatabase fixture;
  {
    engine::Database db = fixture.Open();
    reports_test::CreateSmallExam(db);
  }
  const auto highest = [&] {
    output::Document doc;
    reports::ClassSubjectStats(doc, fixture.state, 1);
    const grid::ReportGrid& g = doc.grid;
    for (int c = 0; c < g.Cols(); ++c)
      if (g.CellText(0, c) == "最高分") return std::string(g.CellText(2, c));
    return std::string("no 最高分");
  };
  const std::string before = highest();
  {
    engine::Database db = fixture.Open();
    EXPECT_TRUE(stats::StoredColumnsCurrent(db, kPerClass, "语文"));
  }
  fixture.Open().Execute("UPDATE 成绩表 SET 语文 = 99 WHERE 学号 = 1");
  EXPECT_NE(before, "99");
  EXPECT_EQ(highest(), "99");
}

}  // namespace
