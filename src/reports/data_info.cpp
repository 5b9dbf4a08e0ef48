#include "reports/data_info.h"

#include <optional>

#include "common/text_number.h"
#include "data/score_database.h"
#include "output/paper_fit.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

constexpr int kNarrow = 38;

// Rows 0 and 1: 学校 and 应考 over both rows, each subject over its three
// columns 参考, 缺考, 教师.
void BuildHeader(grid::ReportGrid& g, const data::SubjectLines& sl) {
  const int n = sl.Count();
  g.SetRows(3);
  g.SetCols(3 * n + 3);
  g.SetFixedRows(2);
  g.SetRowHeight(0, 28);
  g.SetRowHeight(1, 28);
  g.SetColWidth(1, 70);
  for (int c = 2; c < g.Cols(); ++c) g.SetColWidth(c, kNarrow);
  g.AddMerge({0, 1, 1, 1});
  g.AddMerge({0, 2, 1, 2});
  g.SetCellText(0, 1, "学校");
  g.SetCellText(0, 2, "应考");
  for (int i = 1; i <= n; ++i) {
    g.SetCellText(0, 3 * i, sl.SubjectName[static_cast<std::size_t>(i - 1)]);
    g.AddMerge({0, 3 * i, 0, 3 * i + 2});
    g.SetCellText(1, 3 * i, "参考");
    g.SetCellText(1, 3 * i + 1, "缺考");
    g.SetCellText(1, 3 * i + 2, "教师");
  }
}

std::string Text(engine::Recordset& rs, int field) {
  return rs.FieldValue(field).AsText(rs.FieldTypeOf(field));
}

// Per school in 学校 order: enrolled, and per subject the count with a score
// and the count without one. One row per school, then the empty row.
void FillStudents(grid::ReportGrid& g, engine::Database& db, const data::SubjectLines& sl) {
  std::string per_subject;
  for (const std::string& s : sl.SubjectName)
    per_subject += ",count([" + s + "]) ,count(*)-count([" + s + "])";
  engine::Recordset rs = db.OpenRecordset("select 学校, Count(*)" + per_subject +
                                          " from 成绩表   GROUP BY 学校 ORDER BY 学校");
  int r = 0;
  for (; !rs.Eof(); rs.MoveNext()) {
    ++r;
    g.SetCellText(r + 1, 1, Text(rs, 0));
    g.SetCellText(r + 1, 2, Text(rs, 1));
    for (int i = 1; i <= sl.Count(); ++i) {
      g.SetCellText(r + 1, 3 * i, Text(rs, 2 * i));
      g.SetCellText(r + 1, 3 * i + 1, Text(rs, 2 * i + 1));
    }
    g.AddItem("", false);
  }
  g.SetCellText(0, 1, "学校(" + std::to_string(r) + ")");
}

// Values of a per-school query written by position: record r to school row
// r, so a school missing from 教师表 shifts the rows after it.
void FillByPosition(grid::ReportGrid& g, engine::Database& db, const std::string& sql, int col) {
  engine::Recordset rs = db.OpenRecordset(sql);
  for (int r = 1; !rs.Eof(); rs.MoveNext(), ++r) g.SetCellText(r + 1, col, Text(rs, 1));
}

void FillTeachers(grid::ReportGrid& g, engine::Database& db, const data::SubjectLines& sl) {
  for (int i = 1; i <= sl.Count(); ++i) {
    const std::string& s = sl.SubjectName[static_cast<std::size_t>(i - 1)];
    FillByPosition(g, db,
                   "select 学校,count(" + s + ") as 教数 from (select DISTINCT " + s +
                       " ,学校 from 教师表) group by 学校 ORDER BY 学校 ",
                   3 * i + 2);
  }
}

void FillClassCounts(grid::ReportGrid& g, engine::Database& db) {
  g.InsertCol(2);
  g.SetColWidth(2, kNarrow);
  g.SetCellText(0, 2, "班级数");
  g.AddMerge({0, 2, 1, 2});
  FillByPosition(g, db, "select 学校,count(班级) from 教师表 group by 学校 ORDER BY 学校", 2);
}

void AddTotalsRow(grid::ReportGrid& g) {
  g.InsertRow(2);
  g.SetCellText(2, 1, "合 计");
  for (int c = 2; c < g.Cols(); ++c) {
    double sum = 0;
    for (int r = 3; r < g.Rows(); ++r) sum += common::NumericValue(g.CellText(r, c));
    g.SetCellText(2, c, common::TextOfDouble(sum));
  }
}

void FinishOverview(output::Document& doc, const data::AppState& state, output::Date today) {
  grid::ReportGrid& g = doc.grid;
  doc.caption = doc.title;
  int total_width = 0;
  for (int c = 1; c < g.Cols(); ++c) {
    g.SetColAlignment(c, grid::kAlignCenter);
    total_width += g.ColWidth(c);
  }
  g.SetAutoRedraw(true);
  g.Refresh();
  output::AddReportTitles(doc.grid, doc.title, state.title_settings, today);
  output::SetUpReportPage(
      g, output::NeedsLandscape(total_width) ? grid::kLandscape : grid::kPortrait, 1);
  output::FitReportToPaper(g, output::FitPreference::kTurnFirst);
}

void ShowList(output::Document& doc, data::AppState& state, const std::string& sql,
              const std::string& name) {
  std::optional<engine::Database> db = output::OpenOrNothing(state);
  if (db) output::SkipOnError([&] { data::ReplaceSavedQuery(*db, "NewQrytjxx", sql); });
  state.report_title = state.title_settings.MainTitle + name;
  if (db)
    output::ShowSourceInGrid(doc, state, *db, "NewQrytjxx", output::FieldFormat::kTwoDecimals);
  else
    output::ShowSourceInGrid(doc, state, "NewQrytjxx", output::FieldFormat::kTwoDecimals);
  grid::ReportGrid& g = doc.grid;
  g.ReportTitles().Add(doc.title, "宋体", 14).print_on_all_pages = true;
  g.ReportTitles().Add("", "Arial", 10).print_on_all_pages = true;
  output::SkipOnError([&] { g.SetRowHeight(0, 32); });
  grid::PageSettings& page = g.PageSetup();
  page.print_fixed_row = true;
  page.print_fixed_column = true;
  page.print_gridlines = true;
  page.print_title_rows = 1;
  page.black_and_white = true;
  page.footer.text = "共&n页  第&p页";
}

}  // namespace

void ExamOverview(output::Document& doc, data::AppState& state, output::Date today) {
  const data::SubjectLines& sl = state.subject_lines;
  state.report_title = state.title_settings.MainTitle + "基本情况表";
  grid::ReportGrid& g = doc.grid;
  g.SetAutoRedraw(false);
  g.SetDisplayRowIndex(true);
  doc.title = state.report_title;
  // The overview stops at its first failure, as far as it got.
  bool counted = false;
  output::SkipOnError([&] {
    BuildHeader(g, sl);
    engine::Database db = data::OpenScoreDatabase(state);
    FillStudents(g, db, sl);
    counted = true;
    FillTeachers(g, db, sl);
    FillClassCounts(g, db);
    AddTotalsRow(g);
    FinishOverview(doc, state, today);
  });
  if (!counted) {
    // No 成绩表 yet: say so rather than show a bare header.
    doc.title = state.report_title + " [没有记录]";
    doc.caption = doc.title;
  }
  g.SetAutoRedraw(true);
}

void SchoolList(output::Document& doc, data::AppState& state) {
  ShowList(doc, state, "select distinct 学校 from 成绩表 ORDER BY 学校 DESC ;", "学校列表");
}

void ClassList(output::Document& doc, data::AppState& state) {
  ShowList(doc, state, "select distinct 学校,班级 from 成绩表 ORDER BY 学校 DESC ;",
           "学校班级列表");
}

}  // namespace reports
