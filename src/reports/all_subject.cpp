#include "reports/all_subject.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "data/score_database.h"
#include "output/report_layout.h"
#include "reports/group_figures.h"
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
  StatLines lines = LinesOf(sl, k, w.ScaleLinesByFullMark == 1);
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

// One subject's result row: the field names and the values as texts.
struct SubjectResult {
  std::vector<std::string> names;
  std::vector<std::string> values;
};

std::optional<SubjectResult> RunQuery(engine::Database& db, const std::string& sql) {
  std::optional<SubjectResult> out;
  output::SkipOnError([&] {
    engine::Recordset rs = db.OpenRecordset(sql);
    SubjectResult r;
    for (int j = 0; j < rs.FieldCount(); ++j) {
      r.names.push_back(rs.FieldName(j));
      if (!rs.Eof()) r.values.push_back(rs.FieldValue(j).AsText(rs.FieldTypeOf(j)));
    }
    out = std::move(r);
  });
  return out;
}

// Each subject's figures computed in one pass over its stored copy
// (group_figures.h), where that pass can match the query; nothing for the
// others.
std::vector<std::optional<SubjectResult>> ComputedResults(engine::Database& db,
                                                          const data::AppState& state,
                                                          int largest_full_mark) {
  const data::SubjectLines& sl = state.subject_lines;
  const data::SystemSettings& w = state.system_settings;
  std::vector<std::optional<SubjectResult>> results(static_cast<std::size_t>(sl.Count()));
  for (int k = 0; k < sl.Count(); ++k) {
    const SubjectColumns columns{sl.SubjectName[static_cast<std::size_t>(k)],
                                 LinesOf(sl, k, w.ScaleLinesByFullMark == 1), w,
                                 Segments(largest_full_mark, w.SubjectSegment)};
    std::optional<GroupFigures> figures = ComputeWholeFigures(db, columns);
    if (figures)
      results[static_cast<std::size_t>(k)] =
          SubjectResult{std::move(figures->groups.names), std::move(figures->total)};
  }
  return results;
}

// Each query scans the whole of 成绩表 and they do not depend on each other,
// so they run side by side, one connection per thread; an empty query is
// not run.
std::vector<std::optional<SubjectResult>> RunQueries(const std::string& path,
                                                     const std::vector<std::string>& sqls) {
  std::vector<std::optional<SubjectResult>> results(sqls.size());
  if (std::all_of(sqls.begin(), sqls.end(), [](const std::string& q) { return q.empty(); }))
    return results;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    std::optional<engine::Database> db;
    output::SkipOnError([&] { db.emplace(engine::Database::Open(path)); });
    for (std::size_t k = next++; k < sqls.size(); k = next++)
      if (db && !sqls[k].empty()) results[k] = RunQuery(*db, sqls[k]);
  };
  const unsigned threads = std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 4);
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < std::min<std::size_t>(threads, sqls.size()); ++t)
    pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return results;
}

// One column of values; the first subject also writes the statistic names.
void AddSubjectColumn(output::Document& doc, const std::optional<SubjectResult>& result,
                      const std::string& subject, int k) {
  grid::ReportGrid& g = doc.grid;
  if (k == 0)
    output::SkipOnError(
        [&] { StartGrid(doc, result ? static_cast<int>(result->names.size()) : 0); });
  g.SetCols(g.Cols() + 1);
  g.SetCellText(0, k + 2, subject);
  if (!result) return;
  output::SkipOnError([&] {
    for (std::size_t j = 0; j < result->values.size(); ++j) {
      const int row = static_cast<int>(j) + 1;
      if (k == 0) g.SetCellText(row, 1, result->names[j]);
      g.SetCellText(row, k + 2, result->values[j]);
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

void AllSubjectStats(output::Document& doc, data::AppState& state) {
  output::SkipOnError([&] { data::LoadSubjectLines(state); });
  const data::SubjectLines& sl = state.subject_lines;
  int largest = 0;
  for (int m : sl.FullMark) largest = std::max(largest, m);
  output::SkipOnError([&] { data::LoadSystemSettings(state); });
  std::vector<std::string> sqls;
  sqls.reserve(sl.Count());
  for (int k = 0; k < sl.Count(); ++k) sqls.push_back(SubjectQuery(state, k, largest));
  // Opened once here so that a missing file is created before the threads open it.
  std::vector<std::optional<SubjectResult>> results;
  if (std::optional<engine::Database> db = output::OpenOrNothing(state)) {
    results = ComputedResults(*db, state, largest);
    std::vector<std::string> left = sqls;
    for (std::size_t k = 0; k < left.size(); ++k)
      if (results[k]) left[k].clear();
    std::vector<std::optional<SubjectResult>> queried = RunQueries(state.database_path, left);
    for (std::size_t k = 0; k < left.size(); ++k)
      if (!results[k]) results[k] = std::move(queried[k]);
  }
  results.resize(sqls.size());
  for (int k = 0; k < sl.Count(); ++k) {
    auto i = static_cast<std::size_t>(k);
    AddSubjectColumn(doc, results[i], sl.SubjectName[i], k);
  }
  const std::string title = state.title_settings.MainTitle + "各单科统计表";
  doc.caption = title;
  doc.title = title;
  if (sl.Count() == 0) {
    // Before the first import there is nothing to transpose.
    output::SkipOnError([&] { StartGrid(doc, 0); });
    doc.title = title + " [没有记录]";
  }
  RenameStatistics(doc.grid);
  doc.grid.SetAutoRedraw(true);
  doc.grid.Refresh();
  output::LayoutListGrid(doc, state);
}

}  // namespace reports
