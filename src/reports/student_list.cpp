#include "reports/student_list.h"

#include <algorithm>
#include <exception>

#include "common/text_number.h"
#include "data/score_database.h"
#include "output/paper_fit.h"
#include "output/report_layout.h"

namespace reports {
namespace {

const char* const kSelectKeys = "select 学校,学号,班级,姓名";

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool IsGroupItem(const std::string& item) {
  return item == kMainGroupItem || item == kAllGroupItem;
}

std::string RangeCondition(const StudentListOptions& o) {
  if (o.school == kAllSchools) return {};
  std::string range = "学校='" + data::QuoteSql(o.school) + "'";
  if (!o.klass.empty()) range += "and 班级='" + data::QuoteSql(o.klass) + "'";
  return range;
}

// Everything typed into the 更多 tab that would go into the SQL as it
// stands: refuse what is not a column of 统计表 or not one of the operators.
std::string CheckTypedText(const StudentListOptions& o) {
  const auto not_column = [](const std::string& name) {
    return "“" + name + "”不是统计表的列，请重新选择！";
  };
  const char* bad_operator = "比较符号只能是 =、>、<、<=、>= 之一，请重新选择！";
  if (!Contains(o.all_columns, o.column1)) return not_column(o.column1);
  if (!Contains(o.operators, o.op1)) return bad_operator;
  if (!o.column2.empty()) {
    if (!Contains(o.all_columns, o.column2)) return not_column(o.column2);
    if (!Contains(o.operators, o.op2)) return bad_operator;
  }
  if (!o.show1.empty()) {
    if (!IsGroupItem(o.show1) && !Contains(o.all_columns, o.show_item1)) return not_column(o.show1);
    if (!o.show_item2.empty() && !Contains(o.all_columns, o.show_item2))
      return not_column(o.show_item2);
  }
  return {};
}

std::string SelectList(const StudentListOptions& o) {
  std::string items;
  if (o.show1.empty()) {
    items = "," + o.column1;
    if (!o.column2.empty()) items += "," + o.column2;
  } else {
    items = IsGroupItem(o.show1) ? o.show_item1 : "," + o.show_item1;
    if (!o.show_item2.empty()) items += "," + o.show_item2;
    if (items.find(o.column1) == std::string::npos) items += "," + o.column1;
    if (!o.column2.empty() && items.find(o.column2) == std::string::npos) items += "," + o.column2;
  }
  return kSelectKeys + items;
}

StudentListQuery ConditionQuery(const StudentListOptions& o, const std::string& main_title) {
  StudentListQuery q;
  if (!common::IsNumericText(o.value1) ||
      (!o.column2.empty() && !common::IsNumericText(o.value2))) {
    q.message = "条件值不是数值，请重新输入！";
    return q;
  }
  q.message = CheckTypedText(o);
  if (!q.message.empty()) return q;
  const std::string c1 = o.column1 + o.op1 + o.value1;
  std::string condition = c1;
  q.title = main_title + o.school + o.klass + c1;
  if (!o.column2.empty()) {
    const std::string c2 = o.column2 + o.op2 + o.value2;
    condition += (o.use_or ? " or " : " and ") + c2;
    q.title += (o.use_or ? "或" : "且") + c2 + "的学生名单";
  }
  q.sql = SelectList(o) + " from 统计表 where (" + condition + ")";
  return q;
}

// The statistics layout narrows every column after the second to a number's
// width, which cut a list's classes and names down to a few characters.
void WidenTextColumns(grid::ReportGrid& grid) {
  for (int c = 3; c < grid.Cols(); ++c) {
    const std::string_view header = grid.CellText(0, c);
    if (header != "班级" && header != "姓名") continue;
    grid.AutoFit(c);
    grid.SetColMask(c, grid::kMaskNone);
  }
}

}  // namespace

void FillStudentListOptions(StudentListOptions& o, const std::vector<std::string>& table_columns,
                            const std::vector<std::string>& schools,
                            const data::SubjectLines& lines) {
  o.operators = {"=", ">", "<", "<=", ">="};
  o.op1 = ">";
  o.op2.clear();
  o.value1 = "80";
  o.value2.clear();
  o.use_or = false;
  o.class_enabled = false;
  o.all_columns = table_columns;
  o.columns.assign(table_columns.begin() + std::min<size_t>(4, table_columns.size()),
                   table_columns.end());
  o.column1 = o.columns.empty() ? std::string() : o.columns.front();
  o.column2.clear();
  o.schools = {kAllSchools};
  o.schools.insert(o.schools.end(), schools.begin(), schools.end());
  o.school = kAllSchools;
  o.all_subjects.clear();
  o.main_subjects.clear();
  o.all_subject_count = o.main_subject_count = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    o.all_subjects += "," + lines.SubjectName[i];
    ++o.all_subject_count;
    if (lines.IsMain(i)) {
      o.main_subjects += "," + lines.SubjectName[i];
      ++o.main_subject_count;
    }
  }
  ChoosePreset(o, 1);
}

StudentListOptions OpenStudentListDialog(data::AppState& state) {
  std::vector<std::string> columns;
  std::vector<std::string> schools;
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    columns = db.ColumnNames("统计表");
    for (engine::Recordset rs = db.OpenRecordset("select distinct 学校 from 统计表"); !rs.Eof();
         rs.MoveNext())
      schools.push_back(rs.FieldValue(0).AsText(rs.FieldTypeOf(0)));
  } catch (const engine::Error&) {
    // Before the first import there is no 统计表: the lists stay empty.
  }
  data::LoadSubjectLines(state);
  StudentListOptions options;
  FillStudentListOptions(options, columns, schools, state.subject_lines);
  return options;
}

void ChoosePreset(StudentListOptions& o, int preset) {
  static const char* const kCaptions[] = {"全科合格学生",       "主科合格学生",      "全科都不及格",
                                          "主科都不及格",       "全科优良学生",      "主科优良学生",
                                          "全科总分前50名学生", "主科总分前50名学生"};
  if (preset < 1 || preset > 8) return;
  o.preset = preset;
  o.jingj_caption = kCaptions[preset - 1];
  const std::string all = common::TextOfInteger(o.all_subject_count);
  const std::string main = common::TextOfInteger(o.main_subject_count);
  const std::string s = kSelectKeys;
  switch (preset) {
    case 1:
      o.jingj_sql = s + o.all_subjects + ",全科总分 from 统计表 where 全科及格数=" + all;
      break;
    case 2:
      o.jingj_sql = s + o.main_subjects + ",主科总分 from 统计表 where 主科及格数=" + main;
      break;
    case 3:
      o.jingj_sql = s + o.all_subjects + ",全科总分 from 统计表 where 全科及格数=0";
      break;
    // Keeps the main-subject columns but, as it always has, filters on all subjects.
    case 4:
      o.jingj_sql = s + o.main_subjects + ",主科总分 from 统计表 where 全科及格数=0";
      break;
    case 5:
      o.jingj_sql = s + o.all_subjects + ",全科总分 from 统计表 where 全科优良数=" + all;
      break;
    case 6:
      o.jingj_sql = s + o.main_subjects + ",主科总分 from 统计表 where 主科优良数=" + main;
      break;
    default:
      o.jingj_sql = s + o.all_subjects + ",全科总分,全科排名 from 统计表 where 全科排名<=50";
      break;
  }
}

void ChooseListSchool(StudentListOptions& o, const std::string& school,
                      const data::AppState& state) {
  o.school = school;
  o.classes.clear();
  o.klass.clear();
  o.class_enabled = school != kAllSchools;
  if (!o.class_enabled) return;
  o.classes.push_back("");
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    for (engine::Recordset rs = db.OpenRecordset(
             "select distinct 班级,学校 from 统计表 where 学校='" + data::QuoteSql(school) + "'");
         !rs.Eof(); rs.MoveNext())
      o.classes.push_back(rs.FieldValue(0).AsText(rs.FieldTypeOf(0)));
  } catch (const engine::Error&) {
    // No 统计表: the class list keeps its empty item only.
  }
}

void ChooseSecondColumn(StudentListOptions& o, const std::string& column) {
  o.column2 = column;
  if (column.empty()) {
    o.op2.clear();
    o.value2.clear();
  }
}

void ChooseShowItem1(StudentListOptions& o, const std::string& item) {
  o.show1 = item;
  o.show2_enabled = !item.empty();
  if (item == kMainGroupItem)
    o.show_item1 = o.main_subjects + ",主科总分,主科排名";
  else if (item == kAllGroupItem)
    o.show_item1 = o.all_subjects + ",全科总分,全科排名";
  else if (!item.empty())
    o.show_item1 = item;
}

std::string ChooseShowItem2(StudentListOptions& o, const std::string& item) {
  o.show2 = item;
  o.show_item2 = item;
  if (item.empty()) return {};
  std::string message;
  if (item == o.show_item1)
    message = "该项已选择，请重新选择！";
  else if (o.show_item1.find(item) != std::string::npos)
    message = "该项已选择或包含，请重新选择！";
  if (!message.empty()) {
    o.show2.clear();
    o.show_item2.clear();
  }
  return message;
}

StudentListQuery BuildStudentListQuery(const StudentListOptions& o, const std::string& main_title) {
  StudentListQuery q;
  if (o.tab == 1) {
    q = ConditionQuery(o, main_title);
    if (!q.message.empty()) return q;
  } else {
    q.sql = o.jingj_sql;
    q.title = main_title + o.school + o.klass + o.jingj_caption;
  }
  const std::string range = RangeCondition(o);
  if (!range.empty()) q.sql += " and " + range;
  return q;
}

common::Result<output::Document> RunStudentList(const StudentListOptions& options,
                                                data::AppState& state) {
  const StudentListQuery q = BuildStudentListQuery(options, state.title_settings.MainTitle);
  if (!q.message.empty()) return common::Result<output::Document>::Error(q.message);
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    // Try the statement before replacing NewQry2, so that one the engine
    // rejects leaves the saved query as it was.
    db.OpenRecordset(q.sql).Close();
    data::ReplaceSavedQuery(db, "NewQry2", q.sql);
    state.report_title = q.title;
    output::Document doc;
    output::ShowSourceInGrid(doc, state, db, "NewQry2", output::FieldFormat::kAsEntered);
    output::LayoutStatGrid(doc, state);
    WidenTextColumns(doc.grid);
    output::FitReportToPaper(doc.grid, output::FitPreference::kTurnFirst);
    return doc;
  } catch (const engine::Error& e) {
    return common::Result<output::Document>::Error(
        std::string("数据库不能执行这个查询，请检查条件：") + e.what());
  }
}

namespace {

// "语文>=80" as column, operator and value.
void ParseComparison(const std::string& text, std::string& column, std::string& op,
                     std::string& value) {
  const size_t at = text.find_first_of("<>=");
  if (at == std::string::npos || at == 0) throw ReportError("条件写成 列名比较符数值：" + text);
  size_t end = at + 1;
  if (end < text.size() && text[end] == '=') ++end;
  column = text.substr(0, at);
  op = text.substr(at, end - at);
  value = text.substr(end);
}

// The 条件 page: one comparison, a second joined by and/or, the shown columns.
void ChooseCondition(StudentListOptions& o, const ReportChoices& choices) {
  o.tab = 1;
  ParseComparison(choices.Get("cond"), o.column1, o.op1, o.value1);
  const std::string second_and = choices.Get("and"), second_or = choices.Get("or");
  if (!second_and.empty() || !second_or.empty()) {
    o.use_or = second_and.empty();
    ParseComparison(o.use_or ? second_or : second_and, o.column2, o.op2, o.value2);
  }
  const std::vector<std::string> show = choices.All("show");
  if (show.empty()) return;
  const std::string first = show[0] == "主科"   ? kMainGroupItem
                            : show[0] == "全科" ? kAllGroupItem
                                                : show[0];
  ChooseShowItem1(o, first);
  if (show.size() > 1) {
    const std::string message = ChooseShowItem2(o, show[1]);
    if (!message.empty()) throw ReportError(message);
  }
}

}  // namespace

output::Document StudentListReport(ReportRun& run, const ReportChoices& choices) {
  StudentListOptions o = OpenStudentListDialog(run.state);
  if (const std::string school = choices.Get("school"); !school.empty()) {
    ChooseListSchool(o, school, run.state);
    o.klass = choices.Get("class");
  }
  if (choices.Get("cond").empty()) {
    const double preset = common::NumericValue(choices.Get("preset"));
    if (preset < 1 || preset > 8) throw ReportError("--preset 只能是 1 到 8");
    ChoosePreset(o, static_cast<int>(preset));
  } else {
    ChooseCondition(o, choices);
  }
  common::Result<output::Document> result = RunStudentList(o, run.state);
  if (!result) throw ReportError(result.message());
  return std::move(result.value());
}

}  // namespace reports
