// A copy of 成绩表's groupings and number columns (grouped_columns.h) kept in
// the score database itself, in the table 成绩表快照 (名称, 版本, 数据: one
// entry per grouping and per column), so that a report process reads in two
// blobs what it would otherwise read from 成绩表 row by row.
//
// The copy is never used stale. Three triggers on 成绩表 add one to the
// table's counter row (名称 '版本') on every row inserted, updated or
// deleted, by this program, the user's own SQL or any other SQLite client;
// each entry keeps the counter and 成绩表's CREATE text it was made at, and
// is used only while both are unchanged and the triggers are in place.
// Dropping 成绩表 (an import, switching exams) drops its triggers, and a
// database from an older build has none: the copy is then made anew, inside
// one write transaction that holds off every other writer from the counter
// read to the commit.
#pragma once

#include <string>
#include <vector>

#include "engine/database.h"
#include "stats/grouped_columns.h"

namespace stats {

// The grouping by `keys` (one entry of `groupings`) and the column `column`
// (the one entry of `columns`). From the copy when it is current; otherwise
// read from 成绩表 and stored: added to the copy when its groupings are
// those of the rows just read, row for row (the engine reads a table in its
// own row order, so they are), else as a new copy of the groupings by every
// leading part of `keys` and this column alone. A file that cannot be
// written (read only, busy past the timeout) only loses the copy.
// Throws engine::Error when 成绩表 or the column cannot be read.
GroupedColumns ReadStoredColumns(engine::Database& db, const std::vector<std::string>& keys,
                                 const std::string& column);

// Every field of 成绩表 as the engine reads it, from the copy when it holds
// the whole table and is current; otherwise read from 成绩表 and stored,
// beside the entries of a current copy or as a new copy, under the same
// write lock (a file that cannot be written only loses the copy). Throws
// engine::Error when 成绩表 cannot be read.
engine::ValueColumns ReadStoredTable(engine::Database& db);
bool StoredTableCurrent(engine::Database& db);

// Whether the copy of `column` grouped by `keys` is current, for tests and
// benchmarks.
bool StoredColumnsCurrent(engine::Database& db, const std::vector<std::string>& keys,
                          const std::string& column);

}  // namespace stats
