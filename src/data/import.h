// The import of one exam workbook: scores (Sheet1), teachers (Sheet2) and the
// subject settings (Sheet3) replace the data tables, and 统计表 gets its
// weighted totals, line counts and ranks.
//
// All or nothing: the workbook is read and checked before anything is
// touched, and the tables are replaced inside one transaction, so a failure
// leaves the previous exam exactly as it was.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "data/import_statistics.h"
#include "data/workbook.h"
#include "engine/database.h"

namespace data {

struct ImportResult {
  bool ok = false;
  std::string message;  // shown to the user
  std::string caption;  // the message box's title
};

// The messages the import shows.
extern const char* const kImportSuccessMessage;  // caption "导入"
extern const char* const kMissingSheetMessage;   // caption "导入提示"

// Imports the workbook at `path` into the database at state.database_path and
// reloads state.subject_lines; the exam is added to the exam library in the
// same transaction (exam_library.h). Never throws: every failure comes back
// as a message, the database and the library unchanged.
ImportResult cjjs(AppState& state, const std::string& path, common::ProgressSink& progress);

// One worksheet as a new table: the first row gives the (trimmed) column
// names; a column whose non-empty cells are all numbers is a DOUBLE column,
// any other a text column with numbers in their text form; empty cells are
// Null. Throws ImportError for an empty or repeated column name.
void ImportSheet(engine::Database& db, const Sheet& sheet, const std::string& table);

class ImportError : public std::runtime_error {
 public:
  explicit ImportError(const std::string& message, std::string caption = "导入")
      : std::runtime_error(message), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

}  // namespace data
