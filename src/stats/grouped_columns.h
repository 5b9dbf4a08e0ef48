// Rows of 成绩表 grouped by key columns (学校, or 学校 and 班级) beside some of
// its number columns, read once: what the one-pass statistics of a subject
// (reports/group_figures.h) run over, whether read from the table or from
// its stored copy (stored_columns.h).
//
// Groups are those of GROUP BY on the keys, in its order (KeyValue), each
// with its key values as its first row holds them. Grouping is `exact` only
// when every row of a group holds the very same values (3 beside 3.0 would
// print apart) and no key is -0; otherwise the caller must not rely on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/value.h"
#include "engine/value_columns.h"
#include "stats/exam_snapshot.h"

namespace stats {

struct GroupedRows {
  bool exact = true;
  std::vector<engine::FieldType> key_types;
  std::vector<std::vector<engine::Value>> keys;  // one per group
  std::vector<std::uint32_t> group_of_row;       // empty unless exact
};

// One column's values in the table's row order, Null as NaN (SQLite stores
// no NaN). `all_real` is false when a value is a whole number or a text:
// then `values` is empty.
struct NumberColumn {
  engine::FieldType type = engine::FieldType::kDouble;
  bool all_real = true;
  std::vector<double> values;
};

struct GroupedColumns {
  // One grouping for each key list asked for, in that order.
  std::vector<GroupedRows> groupings;
  std::vector<NumberColumn> columns;
};

// A key as GROUP BY orders and matches it: Null first, then numbers by
// value (3 and 3.0 alike), then texts byte by byte.
KeyValue KeyOf(const engine::Value& v);

// Reads `columns` of 成绩表 and groups its rows by each list of `key_sets`,
// in one statement. Throws engine::Error when a column is missing.
GroupedColumns ReadGroupedColumns(engine::Database& db,
                                  const std::vector<std::vector<std::string>>& key_sets,
                                  const std::vector<std::string>& columns);

// The bytes a stored copy keeps, and back; nothing when `bytes` is not one.
std::string EncodeRows(const GroupedRows& rows);
std::optional<GroupedRows> DecodeRows(std::string_view bytes);
std::string EncodeColumn(const NumberColumn& column);
std::optional<NumberColumn> DecodeColumn(std::string_view bytes);
std::string EncodeTable(const engine::ValueColumns& table);
std::optional<engine::ValueColumns> DecodeTable(std::string_view bytes);

}  // namespace stats
