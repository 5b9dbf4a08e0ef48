#include "reports/custom_ranking.h"

#include <algorithm>
#include <cmath>

#include "common/text_number.h"
#include "output/paper_fit.h"
#include "output/report_layout.h"
#include "reports/listing_ranks.h"

namespace reports {
namespace {

std::vector<std::string> ReportHeaders(const grid::ReportGrid& report, int first_subject_col) {
  std::vector<std::string> headers;
  for (int c = std::max(1, first_subject_col); c < report.Cols(); ++c)
    headers.emplace_back(report.CellText(0, c));
  return headers;
}

}  // namespace

TotalsPage BuildTotalsPage(const grid::ReportGrid& report, int first_subject_col) {
  TotalsPage page;
  for (std::string& header : ReportHeaders(report, first_subject_col))
    page.rows.push_back({std::move(header), true, "100", false});
  if (!page.rows.empty()) page.rows.back().right_of = true;  // by default right of the last column
  page.column_name = "总分";
  return page;
}

std::vector<RankingRow> BuildRankingPage(const grid::ReportGrid& report, int first_subject_col) {
  std::vector<RankingRow> rows;
  for (std::string& header : ReportHeaders(report, first_subject_col))
    rows.push_back({std::move(header), false, false, false, "1"});
  return rows;
}

void TickRightOf(TotalsPage& page, int row) {
  for (size_t r = 0; r < page.rows.size(); ++r) page.rows[r].right_of = static_cast<int>(r) == row;
}

namespace {

constexpr const char* kTotalLabel = "合计";

// A 合计比例% text as the 16-bit integer the total uses.
int PercentOf(const std::string& text) {
  const double v = std::nearbyint(common::NumericValue(text));
  return static_cast<int>(std::clamp(v, -32768.0, 32767.0));
}

output::Document PlainListing(data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "成绩表";
  output::Document doc;
  output::ShowSourceInGrid(doc, state, "成绩表", output::FieldFormat::kAsEntered);
  output::LayoutBrowseGrid(doc, state);
  return doc;
}

const char* RankSuffix(RankScope scope) {
  switch (scope) {
    case RankScope::kGrade:
      return "段名";
    case RankScope::kSchool:
      return "校名";
    case RankScope::kClass:
      return "班名";
  }
  return "";
}

}  // namespace

output::Document CustomTotalListing(data::AppState& state) {
  return PlainListing(state);
}
output::Document CustomRankingListing(data::AppState& state) {
  return PlainListing(state);
}

void ApplyCustomTotal(grid::ReportGrid& grid, int first_subject_col, const TotalsPage& page,
                      common::ProgressSink& progress) {
  std::vector<WeightedColumn> terms;
  int after = 0;
  for (size_t r = 0; r < page.rows.size(); ++r) {
    const int col = first_subject_col + static_cast<int>(r);
    if (page.rows[r].in_total && col < grid.Cols())
      terms.push_back({col, PercentOf(page.rows[r].percent)});
    if (page.rows[r].right_of) after = static_cast<int>(r) + 1;
  }
  const int n = DataRowCount(grid);
  const long long max = 2LL * n;
  const std::vector<float> totals = WeightedTotals(grid, terms);
  progress.Report(n, max, "计算合计");
  const int p = std::clamp(first_subject_col + after, 1, grid.Cols());
  if (p == grid.Cols()) {
    grid.SetCols(p + 1);
    grid.SetColMask(p, grid::kMaskNumber);
  } else {
    grid.InsertCol(p);
  }
  grid.SetColFormat(p, "General Number");
  WriteSingles(grid, p, totals);
  progress.Report(2LL * n, max, "写入合计");
  grid.SetCellText(0, p, page.column_name);
  output::FitReportToPaper(grid, output::FitPreference::kShrinkFirst);
  grid.Refresh();
  progress.Report(0, max, "");
}

void AddRankColumn(grid::ReportGrid& grid, int mode, RankScope scope, const std::string& subject,
                   common::ProgressSink& progress) {
  int school_col = -1;
  int class_col = -1;
  int c = -1;
  for (int col = 1; col < grid.Cols() - 1; ++col) {
    const std::string_view header = grid.CellText(0, col);
    if (header == "班级") class_col = col;
    if (header == "学校") school_col = col;
    if (header == subject) {
      c = col;
      break;
    }
  }
  if (c < 0) return;
  grid.Sort(c, false);
  grid.InsertCol(c + 1);
  grid.SetColMask(c + 1, grid::kMaskNumber);
  grid.SetCellText(0, c + 1, LeadingCharacters(grid.CellText(0, c), 2) + RankSuffix(scope));
  int group = kNoGroup;
  if (scope == RankScope::kClass) {
    SortOnPresentColumns(grid, {school_col, class_col});
    group = class_col > 0 ? class_col : kNoGroup;
  } else if (scope == RankScope::kSchool) {
    SortOnPresentColumns(grid, {school_col});
    group = school_col > 0 ? school_col : kNoGroup;
  }
  const int n = DataRowCount(grid);
  WriteRanks(grid, c, c + 1, group, mode, {&progress, 0, n, "排名"});
  progress.Report(0, n, "");
}

void ApplyRanking(output::Document& doc, const data::AppState& state,
                  const std::vector<RankingRow>& rows, common::ProgressSink& progress) {
  grid::ReportGrid& grid = doc.grid;
  grid.SetAutoRedraw(false);
  const int n = DataRowCount(grid);
  progress.Report(0, 2LL * n, "");
  AppendOrderColumn(grid);
  for (const RankingRow& row : rows) {
    const int mode = static_cast<int>(common::NumericValue(row.mode));
    if (row.grade) AddRankColumn(grid, mode, RankScope::kGrade, row.subject, progress);
    if (row.klass) AddRankColumn(grid, mode, RankScope::kClass, row.subject, progress);
    if (row.school) AddRankColumn(grid, mode, RankScope::kSchool, row.subject, progress);
  }
  grid.Sort(grid.Cols() - 1, true);
  // The listing was printable before it was ranked: its titles are laid out
  // afresh, not twice.
  grid.ReportTitles().Clear();
  output::LayoutListGrid(doc, state);
  grid.SetAutoRedraw(true);
  grid.Refresh();
}

void RankSelectedColumn(grid::ReportGrid& grid, int col) {
  if (grid.Rows() < 3 || col < 1 || col >= grid.Cols()) return;
  grid.SetAutoRedraw(false);
  int first = 1;
  if (grid.CellText(1, 1) == kTotalLabel) {
    grid.SetFixedRows(2);
    first = 2;
  }
  const int order = AppendOrderColumn(grid);
  grid.Sort(col, false);
  grid.InsertCol(col + 1);
  grid.SetColMask(col + 1, grid::kMaskNumber);
  grid.SetColFormat(col + 1, "");
  const int n = DataRowCount(grid);
  for (int i = first; i <= n; ++i) {
    if (!grid.CellText(i, col).empty() && grid.CellText(i, 1) != kTotalLabel)
      grid.SetCellText(i, col + 1, common::TextOfInteger(i - first + 1));
  }
  grid.SetCellText(0, col + 1, std::string(grid.CellText(0, col)) + "排名");
  grid.Sort(order + 1, true);
  grid.SetAutoRedraw(true);
  grid.Refresh();
  grid.SetAllowUserSort(true);
}

void RankSelectedColumn(grid::ReportGrid& grid) {
  RankSelectedColumn(grid, grid.ActiveCellPosition().second);
}

std::string SortBySelectedColumn(grid::ReportGrid& grid) {
  grid.SetAllowUserSort(true);
  if (grid.Rows() > 2 && grid.Cols() > 1 && grid.CellText(1, 1) == kTotalLabel)
    grid.SetFixedRows(2);
  return " 请双击你要排序的列头排序，再次双击进行升序、降序转换";
}

void RestoreFilledOrder(grid::ReportGrid& grid) {
  if (grid.Cols() > 1) grid.Sort(grid.Cols() - 1, true);
}

namespace {

// "--rank 科目:段班校[:1|2]" choices as the ranking page's rows.
std::vector<RankingRow> RankRows(const ReportChoices& choices) {
  std::vector<RankingRow> rows;
  for (const std::string& item : choices.All("rank")) {
    const std::vector<std::string> parts = SplitList(item, ':');
    if (parts.size() < 2) throw ReportError("排名写成 科目:段班校[:1|2]：" + item);
    RankingRow row{parts[0], false, false, false, parts.size() > 2 ? parts[2] : "1"};
    row.grade = parts[1].find("段") != std::string::npos;
    row.klass = parts[1].find("班") != std::string::npos;
    row.school = parts[1].find("校") != std::string::npos;
    rows.push_back(row);
  }
  return rows;
}

TotalsRow& RowNamed(TotalsPage& page, const std::string& subject) {
  auto it = std::find_if(page.rows.begin(), page.rows.end(),
                         [&](const TotalsRow& r) { return r.subject == subject; });
  if (it == page.rows.end()) throw ReportError("没有这个列：" + subject);
  return *it;
}

// "--total 科目:比例,..." ticks only those columns; "--after" places the total.
void ChooseTotals(TotalsPage& page, const ReportChoices& choices) {
  if (const std::string total = choices.Get("total"); !total.empty()) {
    for (TotalsRow& row : page.rows) row.in_total = false;
    for (const std::string& item : SplitList(total, ',')) {
      const std::vector<std::string> parts = SplitList(item, ':');
      TotalsRow& row = RowNamed(page, parts.empty() ? item : parts[0]);
      row.in_total = true;
      row.percent = parts.size() > 1 ? parts[1] : "100";
    }
  }
  if (const std::string after = choices.Get("after"); !after.empty())
    TickRightOf(page, static_cast<int>(&RowNamed(page, after) - page.rows.data()));
  page.column_name = choices.Get("name");
}

}  // namespace

output::Document CustomTotalReport(ReportRun& run, const ReportChoices& choices) {
  output::Document doc = CustomTotalListing(run.state);
  const int first = run.state.subject_lines.FirstSubjectCol;
  TotalsPage page = BuildTotalsPage(doc.grid, first);
  ChooseTotals(page, choices);
  ApplyCustomTotal(doc.grid, first, page, run.progress);
  // The dialog's second stage: the new total can be ranked in the same window.
  if (const std::vector<RankingRow> rows = RankRows(choices); !rows.empty())
    ApplyRanking(doc, run.state, rows, run.progress);
  return doc;
}

output::Document CustomRankingReport(ReportRun& run, const ReportChoices& choices) {
  output::Document doc = CustomRankingListing(run.state);
  const std::vector<RankingRow> rows = RankRows(choices);
  if (rows.empty()) throw ReportError("请指定排名：--rank 科目:段班校[:1|2]");
  ApplyRanking(doc, run.state, rows, run.progress);
  return doc;
}

}  // namespace reports
