// The import of an exam: scores, teachers and the subject settings (from one
// workbook, or from one workbook per school merged into one exam) replace
// the data tables, and 统计表 gets its weighted totals, line counts and ranks.
//
// All or nothing: every workbook is read and checked (import_layout.h)
// before anything is touched, and the tables are replaced inside one
// transaction, so a failure leaves the previous exam exactly as it was.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "data/import_layout.h"
#include "data/workbook.h"
#include "engine/database.h"

namespace data {

struct [[nodiscard]] ImportResult {
  bool ok = false;
  // Shown to the user: on success the success text, a blank line and the
  // summary (students, schools, classes, subjects, skipped rows, warnings).
  std::string message;
  std::string caption;  // the message box's title
};

// The success text, first line of a successful import's message (caption
// "导入"); kMissingSheetMessage (import_layout.h) is shown with "导入提示".
extern const char* const kImportSuccessMessage;

// Imports the workbook at `path` (or the workbooks at `paths`, as one exam)
// into the database at state.database_path and reloads state.subject_lines;
// the exam is added to the exam library in the same transaction
// (exam_library.h). Never throws: every failure comes back as a message, the
// database and the library unchanged.
ImportResult ImportExam(AppState& state, const std::string& path, common::ProgressSink& progress);
ImportResult ImportExam(AppState& state, const std::vector<std::string>& paths,
                        common::ProgressSink& progress);

}  // namespace data
