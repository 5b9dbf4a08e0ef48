#include "data/import.h"

#include <set>

#include <sqlite3.h>

#include "data/exam_library.h"
#include "data/import_statistics.h"
#include "data/import_summary.h"
#include "data/import_table.h"
#include "data/score_database.h"

namespace data {

const char* const kImportSuccessMessage = "EXCEL导入成功！请进行相关设置，且需重新启动本程序";

namespace {

// 三线表 as the loaders read it: the label column, then one column per
// subject, the six rows in their fixed order.
void WriteLines(engine::Database& db, const LinesTable& lines) {
  const std::string label = lines.label_header.empty() ? "项目" : lines.label_header;
  std::string create = "CREATE TABLE [三线表] ([" + label + "] TEXT";
  std::vector<std::string> names = {label};
  for (const std::string& s : lines.subjects) create += ", [" + s + "] DOUBLE", names.push_back(s);
  db.Execute(create + ")");
  int row = 0;
  db.InsertRows("三线表", names, [&](std::vector<engine::Value>& values) {
    if (row >= kLineRows) return false;
    values = {engine::Value::Text(kLineLabels[row])};
    for (const auto& v : lines.values) values.push_back(engine::Value::Real(v[row]));
    ++row;
    return true;
  });
}

// 统计表 is 成绩表 with the ten derived columns, written in one pass when
// their values can be computed from the scores beforehand.
void WriteStatisticsRows(engine::Database& db, const std::vector<OutputColumn>& columns,
                         const std::vector<const SheetTable*>& scores, SubjectLines& lines,
                         common::ProgressSink& progress) {
  progress.Report(80, 100, "正在计算总分和三线人数……");
  LoadSubjectLines(db, lines);
  std::optional<DerivedColumns> derived;
  if (std::optional<ScoreRow> rows = ScoresOf(columns, scores, lines))
    derived = DerivedColumns::Compute(db, lines, RowCount(scores), *rows);
  progress.Report(90, 100, "正在排名……");
  InsertTableRows(db, "统计表", columns, scores, derived ? &*derived : nullptr);
  if (!derived) FillDerivedColumnsBySql(db, lines, progress);
}

void ReplaceTables(engine::Database& db, const std::vector<CheckedWorkbook>& books,
                   SubjectLines& lines, common::ProgressSink& progress) {
  for (const char* table : {"成绩表", "统计表", "教师表", "三线表"})
    if (db.TableExists(table)) db.Execute(std::string("DROP TABLE ") + table);
  progress.Report(20, 100, "正在导入成绩……");
  std::vector<const SheetTable*> scores, teachers;
  for (const CheckedWorkbook& b : books)
    scores.push_back(&b.scores), teachers.push_back(&b.teachers);
  const std::set<std::string> subjects(books[0].lines.subjects.begin(),
                                       books[0].lines.subjects.end());
  const std::vector<OutputColumn> columns =
      TableColumns(scores, subjects, {"学校", "班级", "姓名", "学号"}, false);
  CreateTable(db, "成绩表", columns);
  InsertTableRows(db, "成绩表", columns, scores);
  // The tables are created in their usual order; 统计表's rows come last,
  // once 三线表 gives the lines its derived columns need.
  CreateTable(db, "统计表", columns);
  AddDerivedColumns(db, progress);
  const std::vector<OutputColumn> teacher_columns = TableColumns(teachers, {}, {}, true);
  CreateTable(db, "教师表", teacher_columns);
  InsertTableRows(db, "教师表", teacher_columns, teachers);
  WriteLines(db, books[0].lines);
  WriteStatisticsRows(db, columns, scores, lines, progress);
}

}  // namespace

ImportResult ImportExam(AppState& state, const std::string& path, common::ProgressSink& progress) {
  return ImportExam(state, std::vector<std::string>{path}, progress);
}

ImportResult ImportExam(AppState& state, const std::vector<std::string>& paths,
                        common::ProgressSink& progress) {
  try {
    progress.Report(0, 100, "正在读取工作簿……");
    std::vector<CheckedWorkbook> books;
    books.reserve(paths.size());
    for (const std::string& path : paths) {
      books.push_back(CheckWorkbook(ReadWorkbook(path), paths.size() > 1 ? path : std::string()));
    }
    CheckSameExam(books);
    progress.Report(10, 100, "正在打开数据库……");
    // An exam imported before the library existed is kept before it is replaced.
    EnsureCurrentExamListed(state);
    engine::Database db = OpenScoreDatabase(state);
    // The rows are written in order and read back once (the library's copy),
    // so a province's few hundred megabytes of pages need not stay in memory:
    // those beyond the cache go to the file before the commit, and are read
    // back rather than mapped (mapped, the whole file would count as the
    // program's memory).
    sqlite3_exec(db.handle(), "PRAGMA cache_size=-65536; PRAGMA mmap_size=0", nullptr, nullptr,
                 nullptr);
    SubjectLines lines;
    // Declared before the transaction: the new exam's file is attached first
    // and detached after the commit or the rollback. The title row above the
    // scores ("高一期中考试成绩") names the exam.
    const std::vector<std::string>& titles = books[0].notes.titles;
    ExamRecorder recorder(db, paths, titles.empty() ? std::string() : titles[0]);
    engine::Transaction tx = db.BeginTransaction();
    ReplaceTables(db, books, lines, progress);
    recorder.Record(progress);
    tx.Commit();
    state.subject_lines = lines;
    try {
      LoadSystemSettings(db, state.system_settings);
    } catch (const engine::Error&) {
      // Without its system tables the database shows the default: unscaled.
    }
    progress.Report(100, 100, "导入完成");
    return {true,
            std::string(kImportSuccessMessage) + "\n\n" +
                ImportSummary(books, state.system_settings.ScaleLinesByFullMark == 1),
            "导入"};
  } catch (const ImportError& e) {
    return {false, e.what(), e.caption()};
  } catch (const WorkbookError& e) {
    return {false, e.what(), "导入"};
  } catch (const std::exception& e) {
    return {false, std::string("导入失败，原来的数据没有改变。\n") + e.what(), "导入"};
  }
}

}  // namespace data
