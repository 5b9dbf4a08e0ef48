// The records of a query as text, for tests that compare whole results: one
// line per record, its fields in their text form joined by "|".
#pragma once

#include <string>

#include "engine/database.h"

namespace data_test {

inline std::string QueryText(engine::Database& db, const std::string& sql) {
  engine::Recordset rs = db.OpenRecordset(sql);
  std::string out;
  for (; !rs.Eof(); rs.MoveNext()) {
    for (int c = 0; c < rs.FieldCount(); ++c) out += (c ? "|" : "") + rs.FieldValue(c).AsText();
    out += '\n';
  }
  return out;
}

inline std::string QueryText(const std::string& db_path, const std::string& sql) {
  engine::Database db = engine::Database::Open(db_path);
  return QueryText(db, sql);
}

}  // namespace data_test
