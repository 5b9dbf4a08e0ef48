#include "reports/all_subject.h"

#include <algorithm>
#include <optional>

#include "data/score_database.h"
#include "output/report_layout.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// One subject's statistics over the whole of 成绩表.
std::string SubjectQuery(const data::AppState& state, int k, int largest_full_mark) {
  const data::SubjectLines& sl = state.subject_lines;
  const std::string& s = sl.SubjectName[static_cast<std::size_t>(k)];
  const data::SystemSettings& w = state.system_settings;
  StatLines lines = LinesOf(sl, k);
  return "select " + CountColumns(s, lines) + CompositeColumn(s, lines, w) + SpreadColumns(s, 2) +
         SegmentColumns(s, largest_full_mark, w.SubjectSegment) + " from 成绩表";
}

void StartGrid(output::Document& doc, int field_count) {
  grid::ReportGrid& g = doc.grid;
  g.SetAutoRedraw(false);
  g.SetDisplayRowIndex(true);
  g.SetRows(field_count + 1);
  g.SetCols(2);
  g.SetCellText(0, 1, "项目");
  doc.title = "各单科成绩统计";
}

// One column of values; the first subject also writes the statistic names.
void AddSubjectColumn(output::Document& doc, engine::Database* db, const std::string& sql,
                      const std::string& subject, int k) {
  grid::ReportGrid& g = doc.grid;
  std::optional<engine::Recordset> rs;
  if (db) SkipOnError([&] { rs.emplace(db->OpenRecordset(sql)); });
  if (k == 0) SkipOnError([&] { StartGrid(doc, rs ? rs->FieldCount() : 0); });
  g.SetCols(g.Cols() + 1);
  g.SetCellText(0, k + 2, subject);
  if (!rs || rs->Eof()) return;
  SkipOnError([&] {
    for (int j = 0; j < rs->FieldCount(); ++j) {
      if (k == 0) g.SetCellText(j + 1, 1, rs->FieldName(j));
      g.SetCellText(j + 1, k + 2, rs->FieldValue(j).AsText(rs->FieldTypeOf(j)));
    }
  });
}

// 分130_150段 becomes 130_150, 优秀率 becomes 优秀率%.
void RenameStatistics(grid::ReportGrid& g) {
  for (int r = 1; r < g.Rows(); ++r) {
    std::string name(g.CellText(r, 1));
    if (EndsWith(name, "段")) {
      // "分" and "段" are three bytes each in UTF-8.
      g.SetCellText(r, 1, name.substr(3, name.size() - 6));
    } else if (EndsWith(name, "率")) {
      g.SetCellText(r, 1, name + "%");
    }
  }
}

}  // namespace

void gdktj(output::Document& doc, data::AppState& state) {
  state.report_mode = "gdktj";
  SkipOnError([&] { data::LoadSubjectLines(state); });
  const data::SubjectLines& sl = state.subject_lines;
  int largest = 0;
  for (int m : sl.FullMark) largest = std::max(largest, m);
  SkipOnError([&] { data::LoadSystemSettings(state); });
  std::optional<engine::Database> db = OpenOrNothing(state);
  for (int k = 0; k < sl.Count(); ++k) {
    const std::string& s = sl.SubjectName[static_cast<std::size_t>(k)];
    AddSubjectColumn(doc, db ? &*db : nullptr, SubjectQuery(state, k, largest), s, k);
  }
  const std::string title = state.title_settings.MainTitle + "各单科统计表";
  doc.caption = title;
  doc.title = title;
  if (sl.Count() == 0) {
    // Before the first import there is nothing to transpose.
    SkipOnError([&] { StartGrid(doc, 0); });
    doc.title = title + " [没有记录]";
  }
  RenameStatistics(doc.grid);
  doc.grid.SetAutoRedraw(true);
  doc.grid.Refresh();
  output::LayoutListGrid(doc, state);
}

}  // namespace reports
