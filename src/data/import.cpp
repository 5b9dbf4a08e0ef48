#include "data/import.h"

#include <map>
#include <set>

#include <sqlite3.h>

#include "common/text_number.h"
#include "data/exam_library.h"
#include "data/import_statistics.h"
#include "data/import_summary.h"
#include "data/import_text.h"
#include "data/score_database.h"

namespace data {

const char* const kImportSuccessMessage = "EXCEL导入成功！请进行相关设置，且需重新启动本程序";

namespace {

// A column of a table written from one or more sheets (one per workbook).
struct OutputColumn {
  std::string name;
  bool numeric = true;
  bool trim = false;                // names typed by hand: 学校, 班级, 姓名, 学号, teachers
  std::vector<std::size_t> source;  // per sheet, its column, or npos
};

constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

std::vector<OutputColumn> Columns(const std::vector<const SheetTable*>& parts,
                                  const std::set<std::string>& numeric,
                                  const std::set<std::string>& trimmed, bool trim_all) {
  std::vector<OutputColumn> columns;
  std::map<std::string, std::size_t> index;
  for (std::size_t p = 0; p < parts.size(); ++p) {
    for (std::size_t c = 0; c < parts[p]->columns.size(); ++c) {
      const std::string& name = parts[p]->columns[c];
      auto [it, fresh] = index.emplace(name, columns.size());
      if (fresh) {
        columns.push_back({name, true, trim_all || trimmed.count(name) > 0,
                           std::vector<std::size_t>(parts.size(), kAbsent)});
      }
      columns[it->second].source[p] = c;
    }
  }
  // A column is numeric when it is a subject, or when every value is a number.
  for (OutputColumn& column : columns) {
    if (numeric.count(column.name)) continue;
    for (std::size_t p = 0; p < parts.size() && column.numeric; ++p) {
      if (column.source[p] == kAbsent) continue;
      for (std::size_t r : parts[p]->rows) {
        const CellValue v = parts[p]->sheet->At(r, column.source[p]);
        if (v.kind == CellKind::kText && !IsBlankText(v.text)) {
          column.numeric = false;
          break;
        }
      }
    }
  }
  return columns;
}

engine::Value ValueAt(const Sheet& sheet, std::size_t row, std::size_t col,
                      const OutputColumn& column) {
  const CellValue v = sheet.At(row, col);
  switch (v.kind) {
    case CellKind::kEmpty:
      return {};
    case CellKind::kNumber:
      return column.numeric ? engine::Value::Real(v.number)
                            : engine::Value::Text(common::TextOfDouble(v.number));
    case CellKind::kText: {
      if (column.numeric) {
        if (std::optional<double> n = NumberInText(v.text)) return engine::Value::Real(*n);
        return {};  // a blank text: absent
      }
      return engine::Value::Text(std::string(column.trim ? TrimBlanks(v.text) : v.text));
    }
  }
  return {};
}

void WriteTable(engine::Database& db, const std::string& table,
                const std::vector<const SheetTable*>& parts, const std::set<std::string>& numeric,
                const std::set<std::string>& trimmed, bool trim_all) {
  const std::vector<OutputColumn> columns = Columns(parts, numeric, trimmed, trim_all);
  std::string create = "CREATE TABLE [" + table + "] (";
  std::vector<std::string> names;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    create += (c ? ", [" : "[") + columns[c].name + "] " + (columns[c].numeric ? "DOUBLE" : "TEXT");
    names.push_back(columns[c].name);
  }
  db.Execute(create + ")");
  std::size_t part = 0, next = 0;
  db.InsertRows(table, names, [&](std::vector<engine::Value>& values) {
    while (part < parts.size() && next >= parts[part]->rows.size()) ++part, next = 0;
    if (part >= parts.size()) return false;
    const SheetTable& source = *parts[part];
    const std::size_t row = source.rows[next++];
    values.assign(columns.size(), {});
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (columns[c].source[part] != kAbsent)
        values[c] = ValueAt(*source.sheet, row, columns[c].source[part], columns[c]);
    }
    return true;
  });
}

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
  const std::set<std::string> names = {"学校", "班级", "姓名", "学号"};
  WriteTable(db, "成绩表", scores, subjects, names, false);
  WriteTable(db, "统计表", scores, subjects, names, false);
  WriteTable(db, "教师表", teachers, {}, {}, true);
  WriteLines(db, books[0].lines);
  BuildStatisticsTable(db, lines, progress);
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
    // A province's exam is a few hundred megabytes; the rank passes update
    // rows in score order, so let the whole table stay in memory rather than
    // spill pages to disk in the middle of the transaction. Memory is only
    // taken as pages are used.
    sqlite3_exec(db.handle(), "PRAGMA cache_size=-1048576", nullptr, nullptr, nullptr);
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
