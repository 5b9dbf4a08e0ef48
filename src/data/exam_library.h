// The exam library: every imported exam kept beside the score database, the
// current one also in the database's four tables (成绩表, 统计表, 教师表,
// 三线表) where every report reads it.
//
// Storage: the folder "<database name>-exams" beside the database file holds
// one SQLite file "<id>.db" per exam with its four tables, exactly as the
// import left them, and a one-row table 考试信息 (name, import time, sources,
// counts). The score database names its current exam in the table 当前考试.
// An exam file can therefore be opened like a score database and read by the
// same code.
//
// Every change is all-or-nothing: the import adds the new exam in the same
// transaction that replaces the four tables (the exam file is attached to the
// database's connection, and SQLite commits both files atomically); a switch
// replaces the four tables in one transaction. A file left by an interrupted
// import holds no 考试信息 and is not listed. Changes to the library take
// an exclusive lock on the folder, so two programs never pick the same id.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "engine/database.h"

namespace data {

// A refusal or failure of a library command; what() is the user's message.
class LibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ExamInfo {
  int id = 0;  // the number of its file; unique within the library
  std::string name;
  std::string imported_at;           // local time, "2026-12-06 11:20:51"
  std::vector<std::string> sources;  // the workbooks' file names, without folders
  long long students = 0;
  int schools = 0;
  int classes = 0;
  int subjects = 0;
  // False while the name is the one the program chose: saving new titles
  // (学年度, 年级段, 考试类型) then renames the current exam after them.
  bool named_by_user = false;
};

// "suju/sujuf-exams" for "suju/sujuf.db".
std::string LibraryFolder(const std::string& database_path);
std::string ExamFilePath(const std::string& database_path, int id);

// Every exam of the library in date order (import time, then id). A missing
// library is empty. Throws LibraryError only when the folder cannot be read.
std::vector<ExamInfo> ListExams(const std::string& database_path);
// The exam of that id; throws LibraryError "考试库中没有编号为 N 的考试。".
ExamInfo FindExam(const std::string& database_path, int id);

// The id of the exam the four tables hold; 0 when the database names none
// (before the first import, or a database from before the library).
int CurrentExamId(engine::Database& db);
int CurrentExamId(const std::string& database_path);

// Opens an exam's file; its four tables are read like the score database's.
// Reports only read it. Throws LibraryError when the exam does not exist.
engine::Database OpenExam(const std::string& database_path, int id);

// Makes sure the exam the four tables hold is in the library: a database
// from before the library, or one whose exam file was lost, gets it added
// and named current. Returns true when it added one. Throws LibraryError or
// engine::Error when the library cannot be written.
bool EnsureCurrentExamListed(const AppState& state);

// Restores exam `id` into the four tables in one transaction and makes it
// current, then reloads state.subject_lines.
void SwitchExam(AppState& state, int id, common::ProgressSink& progress);
void RenameExam(const std::string& database_path, int id, const std::string& name);
// Refuses the current exam (LibraryError).
void DeleteExam(const std::string& database_path, int id);
// Writes exam `id` as a workbook in the import's layout (Sheet1 scores,
// Sheet2 teachers, Sheet3 the lines), which imports back to the same exam.
void ExportExam(const std::string& database_path, int id, const std::string& xlsx_path);

// After the titles were saved: the current exam, unless the user named it,
// takes the name they give (学年度 + 年级段 + 考试类型).
void NameCurrentExamAfterTitles(const AppState& state);

// The name an exam takes from the stored titles: 学年度 + 年级段 + 考试类型;
// empty while they are the factory defaults.
std::string NameFromTitles(const TitleSettings& titles);

// How the import records its exam. Construct it on the open database before
// the import's transaction begins (SQLite attaches files only outside one);
// call Record inside the transaction once the four tables are complete. If
// the transaction is not committed, the exam file stays empty and the
// destructor removes it. Holds the library's lock while it lives.
class ExamRecorder {
 public:
  ExamRecorder(engine::Database& db, const std::vector<std::string>& source_paths,
               const std::string& title_row = {});
  ~ExamRecorder();
  ExamRecorder(const ExamRecorder&) = delete;
  ExamRecorder& operator=(const ExamRecorder&) = delete;

  // Copies the four tables into the new exam file, writes its 考试信息 and
  // names it current. Returns the new exam's id.
  int Record(common::ProgressSink& progress);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace data
