#include "data/import.h"

#include <algorithm>
#include <cctype>
#include <map>

#include <sqlite3.h>

#include "common/text_number.h"
#include "data/exam_library.h"
#include "data/import_statistics.h"
#include "data/score_database.h"
#include "engine/statement.h"

namespace data {

const char* const kImportSuccessMessage = "EXCEL导入成功！请进行相关设置，且需重新启动本程序";
const char* const kMissingSheetMessage =
    "请确定电子表格中的第一个表名是否为sheet1，第二、三个表名\n"
    "是否为sheet2、sheet3，若不是请修改为此表名再导入";

namespace {

constexpr int kLineRows = 6;
// A Jet table holds at most 255 fields, and 统计表 adds ten to the score
// sheet's columns; SQLite's own limit (2000) would otherwise fail in English.
constexpr size_t kMaxColumns = 245;

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string CellText(const Sheet& sheet, size_t row, size_t col) {
  CellValue v = sheet.At(row, col);
  if (v.kind == CellKind::kNumber) return common::TextOfDouble(v.number);
  return std::string(v.text);
}

std::string Where(const Sheet& sheet, size_t row, size_t col) {
  return "工作表 " + sheet.name() + " 的 " + ColumnLetters(col) + std::to_string(row + 1) +
         " 单元格";
}

// Sheet names are matched without regard to case, as the spreadsheet
// programs themselves do.
const Sheet* FindSheet(const Workbook& book, const std::string& name) {
  for (const Sheet& s : book.sheets())
    if (Lower(s.name()) == Lower(name)) return &s;
  return nullptr;
}

// A name that the statistics put into their SQL bare, so it must be a plain
// word: letters, digits, underscores and CJK characters.
bool IsPlainName(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (unsigned char c : name)
    if (c < 0x80 && !std::isalnum(c) && c != '_') return false;
  return true;
}

bool RowIsEmpty(const Sheet& sheet, size_t row) {
  for (size_t c = 0; c < sheet.cols(); ++c)
    if (sheet.KindAt(row, c) != CellKind::kEmpty) return false;
  return true;
}

struct Column {
  std::string name;
  bool numeric = true;
};

std::vector<Column> ReadHeader(const Sheet& sheet) {
  if (sheet.rows() == 0 || sheet.cols() == 0)
    throw ImportError("工作表 " + sheet.name() + " 是空的，没有任何数据。");
  if (sheet.cols() > kMaxColumns)
    throw ImportError("工作表 " + sheet.name() + " 有 " + std::to_string(sheet.cols()) +
                      " 列，最多只能有 " + std::to_string(kMaxColumns) +
                      " 列。请删去多余的列再导入。");
  std::vector<Column> columns(sheet.cols());
  std::map<std::string, size_t> seen;
  for (size_t c = 0; c < sheet.cols(); ++c) {
    columns[c].name = Trim(CellText(sheet, 0, c));
    const std::string& name = columns[c].name;
    if (name.empty())
      throw ImportError("工作表 " + sheet.name() + " 第一行的 " + ColumnLetters(c) +
                        " 列没有列名。第一行的每一列都要有列名。");
    if (name.find_first_of("[]`!.") != std::string::npos)
      throw ImportError("工作表 " + sheet.name() + " 的列名“" + name +
                        "”含有不能用于列名的字符（[ ] ` ! .）。");
    auto [it, fresh] = seen.emplace(name, c);
    if (!fresh)
      throw ImportError("工作表 " + sheet.name() + " 的列名“" + name + "”重复了（" +
                        ColumnLetters(it->second) + " 列和 " + ColumnLetters(c) + " 列）。");
  }
  return columns;
}

void RequireColumns(const Sheet& sheet, const std::vector<Column>& columns,
                    std::initializer_list<const char*> names) {
  for (const char* name : names) {
    bool found = std::any_of(columns.begin(), columns.end(),
                             [&](const Column& c) { return c.name == name; });
    if (!found) throw ImportError("工作表 " + sheet.name() + " 缺少“" + name + "”列。");
  }
}

void RequireRows(const Sheet& sheet, const char* what) {
  for (size_t r = 1; r < sheet.rows(); ++r)
    if (!RowIsEmpty(sheet, r)) return;
  throw ImportError("工作表 " + sheet.name() + " 只有标题行，没有" + what + "。");
}

// The subjects of Sheet3 with their six numbers, checked.
std::vector<std::string> CheckLines(const Sheet& lines, const std::vector<Column>& columns) {
  static const char* const kRowNames[] = {"满分", "优秀", "优良", "及格", "主科", "权重"};
  if (columns.size() < 2)
    throw ImportError("工作表 " + lines.name() +
                      "（三线表）中没有科目：第一列之后每列应是一个科目。");
  if (lines.rows() < kLineRows + 1)
    throw ImportError("工作表 " + lines.name() +
                      "（三线表）应有六行：满分、优秀、优良、及格、主科、权重，" + "现在只有 " +
                      std::to_string(lines.rows() - 1) + " 行。");
  std::vector<std::string> subjects;
  for (size_t c = 1; c < columns.size(); ++c) {
    const std::string& name = columns[c].name;
    if (!IsPlainName(name))
      throw ImportError("科目名“" + name +
                        "”只能由汉字、字母、数字和下划线组成，且不能以数字开头。");
    if (engine::IsReservedWord(name))
      throw ImportError("科目名“" + name +
                        "”是查询语言的保留字，统计时会出错。请把这个科目改名后再导入。");
    for (int r = 1; r <= kLineRows; ++r) {
      std::optional<double> v = lines.NumberAt(r, c);
      if (!v) v = common::ParseWholeNumber(lines.TextAt(r, c));
      if (!v)
        throw ImportError(Where(lines, r, c) + "（" + name + "的" + kRowNames[r - 1] +
                          "）应是一个数。");
      if (r == 1 && *v <= 0)
        throw ImportError(Where(lines, r, c) + "（" + name + "的满分）应大于 0。");
    }
    subjects.push_back(name);
  }
  return subjects;
}

// Score columns must hold numbers; a number typed as text is taken as the
// number, any other text is refused so that no statistic silently miscounts.
void CheckScores(const Sheet& scores, const std::vector<Column>& columns,
                 const std::vector<std::string>& subjects, std::vector<bool>& force_numeric) {
  force_numeric.assign(columns.size(), false);
  for (const std::string& subject : subjects) {
    auto it = std::find_if(columns.begin(), columns.end(),
                           [&](const Column& c) { return c.name == subject; });
    if (it == columns.end())
      throw ImportError("三线表中的科目“" + subject + "”在工作表 " + scores.name() +
                        "（成绩）中没有对应的列。");
    const size_t c = static_cast<size_t>(it - columns.begin());
    for (size_t r = 1; r < scores.rows(); ++r) {
      if (scores.KindAt(r, c) != CellKind::kText) continue;
      std::string_view text = scores.TextAt(r, c);
      if (Trim(text).empty() || common::ParseWholeNumber(text)) continue;
      throw ImportError(Where(scores, r, c) + "的成绩“" + std::string(text) +
                        "”不是数值。缺考请留空，成绩只填数字。");
    }
    force_numeric[c] = true;
  }
}

engine::Value ValueAt(const Sheet& sheet, size_t row, size_t col, bool numeric) {
  CellValue v = sheet.At(row, col);
  switch (v.kind) {
    case CellKind::kEmpty:
      return {};
    case CellKind::kNumber:
      return numeric ? engine::Value::Real(v.number)
                     : engine::Value::Text(common::TextOfDouble(v.number));
    case CellKind::kText:
      if (!numeric) return engine::Value::Text(std::string(v.text));
      if (auto n = common::ParseWholeNumber(v.text)) return engine::Value::Real(*n);
      return {};  // blank text in a score column: absent
  }
  return {};
}

void CreateAndFill(engine::Database& db, const Sheet& sheet, const std::string& table,
                   const std::vector<bool>& force_numeric) {
  std::vector<Column> columns = ReadHeader(sheet);
  for (size_t c = 0; c < columns.size(); ++c) {
    if (c < force_numeric.size() && force_numeric[c]) continue;
    for (size_t r = 1; r < sheet.rows() && columns[c].numeric; ++r)
      if (sheet.KindAt(r, c) == CellKind::kText) columns[c].numeric = false;
  }
  std::string create = "CREATE TABLE [" + table + "] (";
  std::vector<std::string> names;
  for (size_t c = 0; c < columns.size(); ++c) {
    create += (c ? ", [" : "[") + columns[c].name + "] " + (columns[c].numeric ? "DOUBLE" : "TEXT");
    names.push_back(columns[c].name);
  }
  db.Execute(create + ")");
  size_t row = 1;
  db.InsertRows(table, names, [&](std::vector<engine::Value>& values) {
    while (row < sheet.rows() && RowIsEmpty(sheet, row)) ++row;
    if (row >= sheet.rows()) return false;
    values.resize(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
      values[c] = ValueAt(sheet, row, c, columns[c].numeric);
    ++row;
    return true;
  });
}

struct CheckedWorkbook {
  const Sheet* scores;
  const Sheet* teachers;
  const Sheet* lines;
  std::vector<bool> numeric_scores;
};

CheckedWorkbook Check(const Workbook& book) {
  CheckedWorkbook w{
      FindSheet(book, "Sheet1"), FindSheet(book, "Sheet2"), FindSheet(book, "Sheet3"), {}};
  if (!w.scores || !w.teachers || !w.lines) throw ImportError(kMissingSheetMessage, "导入提示");
  std::vector<Column> score_columns = ReadHeader(*w.scores);
  RequireColumns(*w.scores, score_columns, {"学校", "学号", "班级", "姓名"});
  RequireRows(*w.scores, "学生成绩");
  std::vector<Column> teacher_columns = ReadHeader(*w.teachers);
  RequireColumns(*w.teachers, teacher_columns, {"学校", "班级"});
  std::vector<std::string> subjects = CheckLines(*w.lines, ReadHeader(*w.lines));
  CheckScores(*w.scores, score_columns, subjects, w.numeric_scores);
  return w;
}

void ReplaceTables(engine::Database& db, const CheckedWorkbook& w, SubjectLines& lines,
                   common::ProgressSink& progress) {
  for (const char* table : {"成绩表", "统计表", "教师表", "三线表"})
    if (db.TableExists(table)) db.Execute(std::string("DROP TABLE ") + table);
  progress.Report(20, 100, "正在导入成绩……");
  CreateAndFill(db, *w.scores, "成绩表", w.numeric_scores);
  CreateAndFill(db, *w.scores, "统计表", w.numeric_scores);
  CreateAndFill(db, *w.teachers, "教师表", {});
  CreateAndFill(db, *w.lines, "三线表", {});
  BuildStatisticsTable(db, lines, progress);
}

}  // namespace

void ImportSheet(engine::Database& db, const Sheet& sheet, const std::string& table) {
  CreateAndFill(db, sheet, table, {});
}

ImportResult cjjs(AppState& state, const std::string& path, common::ProgressSink& progress) {
  try {
    progress.Report(0, 100, "正在读取工作簿……");
    const Workbook book = ReadWorkbook(path);
    const CheckedWorkbook checked = Check(book);
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
    // and detached after the commit or the rollback.
    ExamRecorder recorder(db, {path});
    engine::Transaction tx = db.BeginTransaction();
    ReplaceTables(db, checked, lines, progress);
    recorder.Record(progress);
    tx.Commit();
    state.subject_lines = lines;
    progress.Report(100, 100, "导入完成");
    return {true, kImportSuccessMessage, "导入"};
  } catch (const ImportError& e) {
    return {false, e.what(), e.caption()};
  } catch (const WorkbookError& e) {
    return {false, e.what(), "导入"};
  } catch (const engine::Error& e) {
    return {false, std::string("导入失败，原来的数据没有改变。\n") + e.what(), "导入"};
  } catch (const std::exception& e) {
    return {false, std::string("导入失败，原来的数据没有改变。\n") + e.what(), "导入"};
  }
}

}  // namespace data
