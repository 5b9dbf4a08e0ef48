// One subject's statistic and segment columns (stat_columns.h) per group of
// 成绩表 and over the whole table, computed in one pass over the three
// columns they need instead of by the grouped query and the 合计 row's query.
//
// The figures are those queries' values to the last bit, with their field
// names and types, or nothing: the pass declines a table it cannot match for
// certain, and the caller then runs the queries. It declines a score column
// that is not a double one, a score that is not a number (a text), a score or
// line that is not a whole number of 1/64 within ±2^20 (so that every sum is
// exact in any order, whichever order the database adds in), a group key of
// -0, and a 标准差 whose rounding to hundredths a last-bit difference could
// change. Groups come in the database's GROUP BY order (stats::KeyValue).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/app_state.h"
#include "engine/database.h"
#include "output/report_layout.h"
#include "reports/stat_columns.h"

namespace reports {

// What the queries of one subject's statistics would select.
struct SubjectColumns {
  std::string subject;
  StatLines lines;
  data::SystemSettings weights;
  std::vector<Segment> segments;
};

// Where the pass reads 成绩表: its stored copy (made anew when not current),
// or the table itself.
enum class ScoreSource { kStoredCopy, kTable };

struct GroupFigures {
  // The key columns, then the statistic and segment columns, one record a
  // group: what the grouped query gives.
  output::ComputedTable groups;
  // The statistic and segment columns over all rows as texts: what the 合计
  // row's query gives (its one record always exists).
  std::vector<std::string> total;
};

// Reads `keys` (学校, or 学校 and 班级) and the subject's scores of 成绩表.
// Nothing when the pass declines (above) or when reading fails.
std::optional<GroupFigures> ComputeGroupFigures(engine::Database& db,
                                                const std::vector<std::string>& keys,
                                                const SubjectColumns& columns,
                                                ScoreSource source = ScoreSource::kStoredCopy);

// The figures over all of 成绩表 alone: `total`, and `groups` with the
// fields' names and types but no record. What the 合计 row's query selects,
// read through the stored copy per class.
std::optional<GroupFigures> ComputeWholeFigures(engine::Database& db, const SubjectColumns& columns,
                                                ScoreSource source = ScoreSource::kStoredCopy);

// The figures per (学校, teacher of the subject) over 成绩表 joined with
// 教师表 on 学校 and 班级, as the teachers' grouped query gives them (a class
// named by two rows of 教师表 counts in both), and over all of 成绩表 for the
// 合计 row. Declines besides when the join would compare a key otherwise
// than as texts or, for 班级, as numbers on both sides, or when a teacher's
// name is not a text.
std::optional<GroupFigures> ComputeTeacherFigures(engine::Database& db,
                                                  const SubjectColumns& columns,
                                                  ScoreSource source = ScoreSource::kStoredCopy);

}  // namespace reports
