// A scratch database file per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../scratch_dir.h"
#include "engine/database.h"

namespace engine::testing {

class TempDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (dir_ / "sujuf.db").string();
    db_ = std::make_unique<Database>(Database::OpenOrCreate(path_));
  }
  void TearDown() override { db_.reset(); }

  // Every record of a query as texts of values, fields separated by "|".
  std::vector<std::string> Rows(const std::string& source) {
    std::vector<std::string> rows;
    Recordset rs = db_->OpenRecordset(source);
    for (; !rs.Eof(); rs.MoveNext()) {
      std::string row;
      for (int i = 0; i < rs.FieldCount(); ++i) {
        row += (i ? "|" : "") + rs.FieldValue(i).AsText(rs.FieldTypeOf(i));
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::string One(const std::string& select) {
    auto rows = Rows(select);
    return rows.empty() ? "<none>" : rows.front();
  }

  test_support::ScratchDir scratch_{"scorestat_engine"};
  const std::filesystem::path dir_ = scratch_.path();
  std::string path_;
  std::unique_ptr<Database> db_;
};

}  // namespace engine::testing
