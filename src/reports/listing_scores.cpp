#include "reports/listing_scores.h"

#include <algorithm>
#include <string>
#include <vector>

#include "data/score_database.h"
#include "output/report_layout.h"
#include "reports/browse.h"
#include "reports/listing_ranks.h"

namespace reports {
namespace {

constexpr int kNumberWidth = 50;
constexpr const char* kGeneralNumber = "General Number";

void SetNumberColumn(grid::ReportGrid& grid, int col, const char* header, const char* format) {
  grid.SetCellText(0, col, header);
  grid.SetColMask(col, grid::kMaskNumber);
  grid.SetColFormat(col, format);
  grid.SetColWidth(col, kNumberWidth);
}

// Subject k (0-based) sits in grid column FirstSubjectCol + k; the listing
// treats every column from there up to `end` (exclusive) as a subject.
std::vector<WeightedColumn> SubjectTerms(const data::SubjectLines& lines, int end, bool main_only) {
  std::vector<WeightedColumn> terms;
  if (lines.FirstSubjectCol < 1) return terms;  // no subject lines loaded
  for (int col = lines.FirstSubjectCol; col < end; ++col) {
    const int k = col - lines.FirstSubjectCol;
    if (k >= lines.Count()) break;
    if (main_only && !lines.IsMain(k)) continue;
    terms.push_back({col, lines.TotalWeightPct[k]});
  }
  return terms;
}

// Sort by the score, then by class, then by school: stable sorts leave the
// rows grouped by school and class, highest score first in each class. Both
// passes take the rows in the sorted orders where they stand, and the rows
// move once, to the second.
void RankGradeAndClass(grid::ReportGrid& grid, int score, int grade_rank, int class_rank,
                       int first_subject_col, const PassProgress& grade_pass,
                       const PassProgress& class_pass) {
  const std::vector<std::uint32_t> by_score = grid.SortOrder({{score, false}});
  WriteRanks(grid, score, grade_rank, kNoGroup, kRankSkip, grade_pass, by_score);
  const int school_col = FindHeader(grid, "学校", first_subject_col);
  const int class_col = FindHeader(grid, "班级", first_subject_col);
  std::vector<std::uint32_t> by_class =
      grid.SortOrder(PresentColumnKeys({school_col, class_col}), by_score);
  WriteRanks(grid, score, class_rank, class_col > 0 ? class_col : kNoGroup, kRankSkip, class_pass,
             by_class);
  grid.ReorderRows(std::move(by_class));
}

output::Document FilledListing(data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "成绩表";
  output::Document doc;
  FillScoreTable(doc, state);
  data::LoadSubjectLines(state);
  return doc;
}

}  // namespace

void AddTotalAndRanks(grid::ReportGrid& grid, const data::SubjectLines& lines,
                      common::ProgressSink& progress) {
  const int n = DataRowCount(grid);
  const long long max = 4LL * n;
  grid.SetAutoRedraw(false);
  const int c0 = grid.Cols();
  grid.SetCols(c0 + 5);
  SetNumberColumn(grid, c0, "平均", "##,##0.00");
  SetNumberColumn(grid, c0 + 1, "总分", kGeneralNumber);
  SetNumberColumn(grid, c0 + 2, "段名", kGeneralNumber);
  SetNumberColumn(grid, c0 + 3, "班名", kGeneralNumber);
  grid.SetColMask(c0 + 4, grid::kMaskNumber);
  grid.SetColWidth(c0 + 4, 0);
  WriteOrderNumbers(grid, c0 + 4, {&progress, 0, max, "排列顺序"});

  const std::vector<float> totals = WeightedTotals(grid, SubjectTerms(lines, c0, false));
  const int subject_count = lines.FirstSubjectCol < 1 ? 0 : c0 - lines.FirstSubjectCol;
  std::vector<float> averages(totals.size(), 0.0F);
  if (subject_count > 0)
    for (std::size_t i = 0; i < totals.size(); ++i)
      averages[i] = static_cast<float>(totals[i] / double(subject_count));
  WriteSingles(grid, c0, averages);
  WriteSingles(grid, c0 + 1, totals);
  progress.Report(2LL * n, max, "计算总分");
  RankGradeAndClass(grid, c0 + 1, c0 + 2, c0 + 3, lines.FirstSubjectCol,
                    {&progress, 2LL * n, max, "总分段名"}, {&progress, 3LL * n, max, "总分班名"});
  progress.Report(0, max, "");
}

int AddMainSubjectTotal(grid::ReportGrid& grid, const data::SubjectLines& lines,
                        common::ProgressSink& progress) {
  const int n = DataRowCount(grid);
  const long long max = 4LL * n;
  int last_main = 0;  // 1-based; 0 when no subject is a main subject
  for (int k = 0; k < lines.Count(); ++k)
    if (lines.IsMain(k)) last_main = k + 1;
  const int p = std::max(1, lines.FirstSubjectCol + last_main);
  grid.SetAutoRedraw(false);
  grid.InsertCol(p, 3);
  SetNumberColumn(grid, p, "合计", kGeneralNumber);
  SetNumberColumn(grid, p + 1, "段名", "");
  SetNumberColumn(grid, p + 2, "班名", "");

  WriteSingles(grid, p, WeightedTotals(grid, SubjectTerms(lines, p, true)));
  progress.Report(n, max, "计算主科合计");
  RankGradeAndClass(grid, p, p + 1, p + 2, lines.FirstSubjectCol, {&progress, n, max, "主科段名"},
                    {&progress, 2LL * n, max, "主科班名"});
  progress.Report(0, max, "");
  return p;
}

output::Document TotalRankListing(data::AppState& state, common::ProgressSink& progress) {
  output::Document doc = FilledListing(state);
  AddTotalAndRanks(doc.grid, state.subject_lines, progress);
  doc.grid.SetAutoRedraw(true);
  doc.grid.Refresh();
  output::LayoutListGrid(doc, state);
  return doc;
}

output::Document MainTotalRankListing(data::AppState& state, common::ProgressSink& progress) {
  output::Document doc = FilledListing(state);
  AddTotalAndRanks(doc.grid, state.subject_lines, progress);
  AddMainSubjectTotal(doc.grid, state.subject_lines, progress);
  output::LayoutListGrid(doc, state);
  doc.grid.SetAutoRedraw(true);
  doc.grid.Refresh();
  return doc;
}

}  // namespace reports
