// A table's records held column by column, each column's distinct values
// once: a listing's scores, schools and classes repeat, so 100,000 records
// of 成绩表 are a few thousand values and a row index per field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/value.h"

namespace engine {

class Database;

struct ValueColumns {
  struct Column {
    std::vector<Value> values;                // distinct, as first read
    std::vector<std::uint32_t> value_of_row;  // one per record
    bool operator==(const Column&) const = default;
  };
  std::vector<std::string> names;  // the recordset's field names and types
  std::vector<FieldType> types;
  std::vector<Column> columns;
  std::size_t records = 0;
  bool operator==(const ValueColumns&) const = default;
};

// Every record of the table or saved query `source`, in the engine's order.
// Values are the same only when the same kind with the same bytes (3 and 3.0,
// 0 and -0 stay apart). Throws engine::Error as OpenRecordset does.
ValueColumns ReadValueColumns(Database& db, std::string_view source);

}  // namespace engine
