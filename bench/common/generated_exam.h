// A generated exam imported into a fresh score database, for the
// benchmarks that time reports on a large exam.
#pragma once

#include <cstdio>
#include <filesystem>

#include "common/progress.h"
#include "data/exam_generator.h"
#include "data/import.h"
#include "data/score_database.h"
#include "data/xlsx_writer.h"

namespace bench {

// The county-sized exam the report benches share: 10 schools × 30 classes.
inline data::ExamOptions CountyExam(std::size_t students) {
  data::ExamOptions options;
  options.students = students;
  options.schools = 10;
  options.classes_per_school = 30;
  return options;
}

// An empty folder of that name under the temporary folder, emptied first.
inline std::filesystem::path FreshFolder(const char* name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  return dir;
}

// Writes the exam `options` describes as dir/exam.xlsx, imports it into
// dir/sujuf.db (state's database from then on) and loads the titles.
// Returns false, having said why on stderr, when the import fails.
inline bool ImportGeneratedExam(const std::filesystem::path& dir, const data::ExamOptions& options,
                                data::AppState& state) {
  std::filesystem::create_directories(dir);
  const std::string workbook = (dir / "exam.xlsx").string();
  data::WriteWorkbookXlsx(workbook, data::GenerateExam(options));
  data::SetDatabasePath(state, (dir / "sujuf.db").string());
  common::NullProgress quiet;
  const data::ImportResult imported = data::ImportExam(state, workbook, quiet);
  if (!imported.ok) {
    std::fprintf(stderr, "import failed: %s\n", imported.message.c_str());
    return false;
  }
  data::LoadTitleSettings(state);
  return true;
}

}  // namespace bench
