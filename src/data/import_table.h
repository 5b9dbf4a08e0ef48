// The import's tables written from the checked sheets: which columns a table
// gets and of what type, and its rows, bound straight from the workbooks'
// cells into multi-row INSERT statements.
//
// The sheets (and their workbooks' string pools) must outlive every call
// that is given them. Writes go through the connection's own transaction;
// a failed write throws engine::Error.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "data/import_layout.h"
#include "data/import_statistics.h"
#include "engine/database.h"

namespace data {

// A column of a table written from one or more sheets (one per workbook).
struct OutputColumn {
  std::string name;
  bool numeric = true;
  bool trim = false;                // names typed by hand: 学校, 班级, 姓名, 学号, teachers
  std::vector<std::size_t> source;  // per sheet, its column, or kNoColumn
};

inline constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// The columns of a table made of `parts` in the order they first appear. A
// column is numeric when it is in `numeric` (the subjects) or every value
// under it is a number; its texts are trimmed when it is in `trimmed` or
// when `trim_all`.
std::vector<OutputColumn> TableColumns(const std::vector<const SheetTable*>& parts,
                                       const std::set<std::string>& numeric,
                                       const std::set<std::string>& trimmed, bool trim_all);

// CREATE TABLE with those columns: DOUBLE for the numeric ones, else TEXT.
void CreateTable(engine::Database& db, const std::string& table,
                 const std::vector<OutputColumn>& columns);

// Inserts the data rows of `parts`, in order, into `table`; with `derived`,
// also the ten derived columns (already added to the table) of each row,
// row i of the parts taken together being row i of `derived`.
void InsertTableRows(engine::Database& db, const std::string& table,
                     const std::vector<OutputColumn>& columns,
                     const std::vector<const SheetTable*>& parts,
                     const DerivedColumns* derived = nullptr);

// The scores of the parts' rows for DerivedColumns::Compute: subject i of
// `lines` read from the column of that name as the row would store it.
// Empty when a subject has no numeric column. Holds no reference to
// `columns` or `parts`, only to the sheets.
std::optional<ScoreRow> ScoresOf(const std::vector<OutputColumn>& columns,
                                 const std::vector<const SheetTable*>& parts,
                                 const SubjectLines& lines);

// How many data rows the parts hold together.
std::size_t RowCount(const std::vector<const SheetTable*>& parts);

}  // namespace data
