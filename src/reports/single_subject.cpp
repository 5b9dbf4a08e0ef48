#include "reports/single_subject.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "data/score_database.h"
#include "output/paper_fit.h"
#include "output/report_layout.h"
#include "reports/group_figures.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

// The chosen subject and the select list every query of these reports
// shares: the statistic columns followed by the segment columns.
struct SubjectQuery {
  std::string subject;
  std::string columns;
  std::optional<SubjectColumns> figures;  // nothing before the first import
};

SubjectQuery PrepareSubject(data::AppState& state, int subject_index) {
  SubjectQuery q;
  output::SkipOnError([&] { data::LoadSubjectLines(state); });
  int full_mark = 0;
  int index = -1;
  StatLines lines;
  try {
    const data::SubjectLines& sl = state.subject_lines;
    int i = SubjectIndexFromMenu(sl, subject_index);
    q.subject = sl.SubjectName[static_cast<std::size_t>(i)];
    full_mark = sl.FullMark[static_cast<std::size_t>(i)];
    index = i;
  } catch (const ReportError&) {
    // Before the first import there is no subject: the report shows empty.
  }
  output::SkipOnError([&] { data::LoadSystemSettings(state); });
  const data::SystemSettings& w = state.system_settings;
  if (index >= 0) lines = LinesOf(state.subject_lines, index, w.ScaleLinesByFullMark == 1);
  q.columns = StatisticColumns(q.subject, lines, w) +
              SegmentColumns(q.subject, full_mark, w.SubjectSegment);
  if (index >= 0)
    q.figures = SubjectColumns{q.subject, lines, w, Segments(full_mark, w.SubjectSegment)};
  return q;
}

std::string WholeQuery(const SubjectQuery& q) {
  return "select " + q.columns + " from 成绩表";
}

void ReplaceQuery(std::optional<engine::Database>& db, std::string_view name,
                  const std::string& select_text) {
  if (db) output::SkipOnError([&] { data::ReplaceSavedQuery(*db, name, select_text); });
}

void Show(output::Document& doc, const data::AppState& state, std::optional<engine::Database>& db,
          std::string_view source) {
  if (db)
    output::ShowSourceInGrid(doc, state, *db, source, output::FieldFormat::kTwoDecimals);
  else
    output::ShowSourceInGrid(doc, state, source, output::FieldFormat::kTwoDecimals);
}

// The 合计 row's scan, started beside the grouped query once the saved
// queries are stored.
std::unique_ptr<TotalRowAhead> StartTotalRow(const data::AppState& state,
                                             const std::optional<engine::Database>& db,
                                             const SubjectQuery& q) {
  if (!db) return nullptr;
  return std::make_unique<TotalRowAhead>(state.database_path, WholeQuery(q));
}

void AddTotalRow(output::Document& doc, const std::unique_ptr<TotalRowAhead>& total,
                 int first_col) {
  if (total) total->Insert(doc.grid, first_col);
}

// The figures computed in one pass (group_figures.h), or when the pass
// declined, the grouped query `saved_query` and its 合计 row.
void ShowFigures(output::Document& doc, const data::AppState& state,
                 std::optional<engine::Database>& db, const SubjectQuery& q,
                 const std::optional<GroupFigures>& figures, int first_col,
                 std::string_view saved_query) {
  if (figures) {
    output::ShowTableInGrid(doc, state, figures->groups, output::FieldFormat::kTwoDecimals);
    output::SkipOnError([&] { InsertTotalTexts(doc.grid, figures->total, first_col); });
    return;
  }
  const std::unique_ptr<TotalRowAhead> total = StartTotalRow(state, db, q);
  Show(doc, state, db, saved_query);
  AddTotalRow(doc, total, first_col);
}

void ShowGroups(output::Document& doc, const data::AppState& state,
                std::optional<engine::Database>& db, const SubjectQuery& q,
                const std::vector<std::string>& keys, std::string_view saved_query) {
  std::optional<GroupFigures> figures;
  if (db && q.figures) figures = ComputeGroupFigures(*db, keys, *q.figures);
  ShowFigures(doc, state, db, q, figures, static_cast<int>(keys.size()) + 1, saved_query);
}

// Two empty columns before 参考人数 for the teacher (or classes) and the subject.
void InsertKeyColumns(output::Document& doc) {
  output::SkipOnError([&] { doc.grid.InsertCol(3, 2); });
}

bool IsNumeric(engine::FieldType type) {
  return type == engine::FieldType::kDouble || type == engine::FieldType::kSingle ||
         type == engine::FieldType::kLong || type == engine::FieldType::kShort;
}

// GCC 12 warns falsely (-Wrestrict, bug 105329) on a literal + a temporary
// string, so quoted texts are built by appending.
std::string Quoted(const std::string& text) {
  std::string out(1, '\'');
  out += data::QuoteSql(text);
  out += '\'';
  return out;
}

// "高一(12)班" -> "12".
std::string DigitsOf(std::string_view text) {
  std::string digits;
  for (char ch : text)
    if (ch >= '0' && ch <= '9') digits += ch;
  return digits;
}

// The teacher of `subject` in each class of 教师表, read at once rather than
// by one query per class, found as that query finds it: the first row of the
// school and class, the school compared as a text, the class as a number when
// 教师表 keeps it as one (Jet refuses a number column compared with a quoted
// text) and as a text otherwise.
class ClassTeachers {
 public:
  ClassTeachers(engine::Database& db, const std::string& subject) : subject_(subject) {
    engine::Recordset rs = db.OpenRecordset("select 学校,班级," + subject + " from 教师表");
    numeric_ = IsNumeric(rs.FieldTypeOf(1));
    whole_table_ = rs.FieldTypeOf(0) == engine::FieldType::kText;
    for (; whole_table_ && !rs.Eof(); rs.MoveNext()) {
      const engine::Value school = rs.FieldValue(0), cls = rs.FieldValue(1);
      if (school.IsNull() || cls.IsNull() || (numeric_ && cls.IsText())) continue;
      const engine::Value teacher = rs.FieldValue(2);
      teachers_.emplace(
          Key(school.AsText(), numeric_ ? NumberKey(cls.AsDouble()) : cls.AsText()),
          teacher.IsNull() ? std::nullopt : std::optional(teacher.AsText(rs.FieldTypeOf(2))));
    }
  }

  // The teacher's name, or nothing when the class has no row or an empty one.
  std::optional<std::string> Find(engine::Database& db, const std::string& school,
                                  const std::string& cls) const {
    if (!whole_table_ || (numeric_ && !IsPlainNumber(cls))) return Query(db, school, cls);
    const auto it = teachers_.find(Key(school, numeric_ ? NumberKey(std::stod(cls)) : cls));
    return it == teachers_.end() ? std::nullopt : it->second;
  }

 private:
  using Key = std::pair<std::string, std::string>;

  // Equal numbers, equal keys (0 and -0 too).
  static std::string NumberKey(double v) {
    if (v == 0) v = 0;
    std::string bytes(sizeof v, '\0');
    std::memcpy(bytes.data(), &v, sizeof v);
    return bytes;
  }

  // "12", "3.5": the texts written unquoted into a query read as that number.
  static bool IsPlainNumber(std::string_view text) {
    const std::size_t dot = text.find('.');
    const auto digits = [](std::string_view part) {
      return !part.empty() &&
             std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return dot == std::string_view::npos
               ? digits(text)
               : digits(text.substr(0, dot)) && digits(text.substr(dot + 1));
  }

  // The query per class, for what the table read cannot answer alike.
  std::optional<std::string> Query(engine::Database& db, const std::string& school,
                                   const std::string& cls) const {
    engine::Recordset rs =
        db.OpenRecordset("select " + subject_ + " from 教师表 where  学校='" +
                         data::QuoteSql(school) + "' and 班级=" + (numeric_ ? cls : Quoted(cls)));
    if (rs.Eof() || rs.FieldValue(0).IsNull()) return std::nullopt;
    return rs.FieldValue(0).AsText(rs.FieldTypeOf(0));
  }

  std::string subject_;
  bool numeric_ = false;
  bool whole_table_ = false;
  std::map<Key, std::optional<std::string>> teachers_;
};

// The classes of each teacher of `subject`, read from 教师表 at once rather
// than by one query per teacher, listed as that query lists them: the digits
// of the class of every row whose subject column holds exactly the name, in
// the table's order. The school is not part of the condition: a name shared
// by two schools lists the classes of both.
class TeacherClasses {
 public:
  TeacherClasses(engine::Database& db, const std::string& subject) : subject_(subject) {
    engine::Recordset rs = db.OpenRecordset("select 学校,班级," + subject + " from 教师表");
    whole_table_ = rs.FieldTypeOf(2) == engine::FieldType::kText;
    for (; whole_table_ && !rs.Eof(); rs.MoveNext()) {
      const engine::Value teacher = rs.FieldValue(2);
      if (teacher.IsNull()) continue;
      std::string& list = lists_[teacher.AsText()];  // ",3,12" (a class may have no digits)
      list += ",";
      list += DigitsOf(rs.FieldValue(1).AsText(rs.FieldTypeOf(1)));
    }
  }

  // "3,12"; nothing when no row names the teacher.
  std::optional<std::string> Find(engine::Database& db, const std::string& teacher) const {
    if (!whole_table_) return Query(db, teacher);
    const auto it = lists_.find(teacher);
    return it == lists_.end() ? std::nullopt : std::optional(it->second.substr(1));
  }

 private:
  std::optional<std::string> Query(engine::Database& db, const std::string& teacher) const {
    engine::Recordset rs = db.OpenRecordset("select 学校,班级 from 教师表 where " + subject_ +
                                            "='" + data::QuoteSql(teacher) + "'");
    if (rs.Eof()) return std::nullopt;
    std::string list;
    for (; !rs.Eof(); rs.MoveNext()) {
      list += ",";
      list += DigitsOf(rs.FieldValue(1).AsText(rs.FieldTypeOf(1)));
    }
    return list.substr(1);
  }

  std::string subject_;
  bool whole_table_ = false;
  std::map<std::string, std::string> lists_;
};

}  // namespace

void ClassSubjectStats(output::Document& doc, data::AppState& state, int subject_index) {
  SubjectQuery q = PrepareSubject(state, subject_index);
  state.report_title = state.title_settings.MainTitle + "各班" + q.subject + "单科统计表";
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  ReplaceQuery(db, "NewQry1", "select 学校,班级," + q.columns + " from 成绩表  GROUP BY 学校,班级");
  ShowGroups(doc, state, db, q, {"学校", "班级"}, "NewQry1");
  output::LayoutStatGrid(doc, state);
  InsertKeyColumns(doc);
  output::SkipOnError([&] {
    doc.grid.SetColFormat(2, "0");
    doc.grid.SetColAlignment(2, grid::kAlignCenter);
    doc.grid.Refresh();
  });
  if (db) output::SkipOnError([&] { FillClassTeachers(doc, *db, q.subject); });
  output::SkipOnError(
      [&] { output::FitReportToPaper(doc.grid, output::FitPreference::kTurnFirst); });
}

void SchoolSubjectStats(output::Document& doc, data::AppState& state, int subject_index) {
  SubjectQuery q = PrepareSubject(state, subject_index);
  state.report_title = state.title_settings.MainTitle + "各校" + q.subject + "单科统计表";
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  ReplaceQuery(db, "NewQry1", "select 学校," + q.columns + " from 成绩表  GROUP BY 学校");
  ShowGroups(doc, state, db, q, {"学校"}, "NewQry1");
  output::LayoutStatGrid(doc, state);
}

void TeacherSubjectStats(output::Document& doc, data::AppState& state, int subject_index) {
  SubjectQuery q = PrepareSubject(state, subject_index);
  const std::string& s = q.subject;
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  ReplaceQuery(db, "NewQry2",
               "select 成绩表.学校,成绩表.班级,成绩表.姓名,成绩表." + s + " as " + s + " ,教师表." +
                   s +
                   "  as 教师 from 成绩表 ,教师表 where  教师表.班级=成绩表.班级 and  "
                   "教师表.学校=成绩表.学校");
  state.report_title = state.title_settings.MainTitle + s + "教师单科统计表";
  ReplaceQuery(db, "NewQry3",
               "select 学校,教师," + q.columns + " from NewQry2  GROUP BY 学校,教师");
  // The 合计 row is over all students, whether or not their class has a teacher.
  std::optional<GroupFigures> figures;
  if (db && q.figures) figures = ComputeTeacherFigures(*db, *q.figures);
  ShowFigures(doc, state, db, q, figures, 3, "NewQry3");
  output::LayoutStatGrid(doc, state);
  InsertKeyColumns(doc);
  if (db) output::SkipOnError([&] { FillTeacherClasses(doc, *db, s); });
  output::SkipOnError(
      [&] { output::FitReportToPaper(doc.grid, output::FitPreference::kTurnFirst); });
}

void FillClassTeachers(output::Document& doc, engine::Database& db, const std::string& subject) {
  grid::ReportGrid& g = doc.grid;
  g.SetCellText(0, 3, "教师");
  g.SetCellText(0, 4, "科目");
  g.SetColWidth(3, 40);
  g.SetColWidth(4, 40);
  const ClassTeachers teachers(db, subject);
  for (int r = 2; r <= g.Rows() - 2; ++r) {
    const std::optional<std::string> teacher =
        teachers.Find(db, std::string(g.CellText(r, 1)), std::string(g.CellText(r, 2)));
    if (teacher) g.SetCellText(r, 3, *teacher);
    g.SetCellText(r, 4, subject);
  }
}

void FillTeacherClasses(output::Document& doc, engine::Database& db, const std::string& subject) {
  grid::ReportGrid& g = doc.grid;
  const TeacherClasses classes(db, subject);
  for (int r = 2; r < g.Rows(); ++r) {
    const std::optional<std::string> list = classes.Find(db, std::string(g.CellText(r, 2)));
    if (!list) continue;
    g.SetCellText(r, 3, *list);
    g.Cell(r, 3).SetWrapText(true);
    g.SetCellText(r, 4, subject);
  }
  g.SetCellText(0, 3, "班级");
  g.SetCellText(0, 4, "科目");
  g.SetColWidth(4, 40);
}

}  // namespace reports
