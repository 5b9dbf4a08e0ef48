// The SQL pieces and grid steps the statistics reports share: the segment
// columns, the statistic columns (counts, rates, composite, spread), the
// 合计 row, and finding a subject by name.
//
// The texts are built character for character as the reports have always
// written them (blanks included): saved queries hold them, and users read
// them back in the database file.
#pragma once

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "data/app_state.h"
#include "engine/database.h"
#include "output/document.h"
#include "output/skip_step.h"
#include "reports/report_catalog.h"

namespace reports {

// The 0-based index of `name` in 三线表's subjects; throws ReportError
// "没有这个科目：name" when there is none.
int SubjectIndex(const data::SubjectLines& lines, const std::string& name);
// The 0-based index of the menus' 1-based `menu_index`; throws ReportError
// when it is out of range.
int SubjectIndexFromMenu(const data::SubjectLines& lines, int menu_index);

// ---- segment columns
// One score segment, both ends included.
struct Segment {
  int low = 0;
  int high = 0;
};
// The segments of a full mark F and width W, highest first: N = Int(F / W)
// segments, T = Int(F / 10) × 10; the first runs from T − W to F, each
// further one covers W whole numbers below the previous. W <= 0 gives none.
std::vector<Segment> Segments(int full_mark, int width);
// "分<low>_<high>段".
std::string SegmentName(const Segment& segment);
// ",Count(iif([S]>=low And [S]<=high, 1, Null)) as 分low_high段" per segment.
std::string SegmentColumns(std::string_view subject, int full_mark, int width);

// ---- statistic columns of one subject
struct StatLines {
  double excellent = 0;  // the scores at and above which a student counts
  double good = 0;
  double pass = 0;
};
// The lines of subject `index`: the values stored in 三线表 taken as scores
// (85 means >= 85), or, when `scale_by_full_mark` (the stored setting
// 三线折算), FullMark × Pct / 100 as the import and 统计表 use them (127.5
// for 85 % of 150).
StatLines LinesOf(const data::SubjectLines& lines, int index, bool scale_by_full_mark);

// 参考人数, 总分, 平均分, then count and rate of each line.
std::string CountColumns(std::string_view subject, const StatLines& lines);
// ",... as 综合分": the weighted composite of average and the three rates.
std::string CompositeColumn(std::string_view subject, const StatLines& lines,
                            const data::SystemSettings& weights);
// ",max(S) as 最高分,min(S) as 最低分,max(S)-min(S) as 全距,cint(StDev(S)*100)/100"
// then `blanks_before_as` blanks and "as 标准差" (3 in the per-group
// reports, 2 in the all-subject report).
std::string SpreadColumns(std::string_view subject, int blanks_before_as);
// CountColumns + CompositeColumn + SpreadColumns(subject, 3).
std::string StatisticColumns(std::string_view subject, const StatLines& lines,
                             const data::SystemSettings& weights);

// ---- the 合计 row
// Inserts row 1, puts "合计" in cell (1, 1), and writes the single record of
// `whole_sql` into row 1 from column `first_col` on (field j into column
// first_col + j). A failing query leaves the row with its label only.
void InsertTotalRow(grid::ReportGrid& grid, engine::Database& db, const std::string& whole_sql,
                    int first_col);

// The same 合计 row read ahead: the record of `whole_sql` is read on a
// connection and thread of its own from construction on, so that this scan
// of 成绩表 runs on the other core beside the report's grouped query. Insert
// waits for it and inserts the row as InsertTotalRow does; a failed read
// leaves the label only. Start it after the report's last write to the file.
class TotalRowAhead {
 public:
  TotalRowAhead(const std::string& database_path, const std::string& whole_sql);
  TotalRowAhead(const TotalRowAhead&) = delete;
  TotalRowAhead& operator=(const TotalRowAhead&) = delete;
  ~TotalRowAhead();

  void Insert(grid::ReportGrid& grid, int first_col);

 private:
  void Wait();

  std::optional<std::vector<std::string>> record_;  // empty: no record, or the read failed
  std::exception_ptr error_;                        // anything but a database refusal
  std::thread reader_;
};

// Inserts row 1 with "合计" in cell (1, 1) and `record`'s texts from column
// `first_col` on; without a record the row keeps its label only.
void InsertTotalTexts(grid::ReportGrid& grid, const std::optional<std::vector<std::string>>& record,
                      int first_col);

// Writes every field of the current record of `rs` into `row` from
// `first_col` on, as Value::AsText with the field's type.
void WriteRecord(grid::ReportGrid& grid, engine::Recordset& rs, int row, int first_col);

}  // namespace reports
