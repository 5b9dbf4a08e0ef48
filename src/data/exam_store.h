// The files under the exam library (exam_library.h): the folder's lock,
// attaching an exam file to a connection, copying the four tables between
// two schemas of one connection, and the metadata row 考试信息.
//
// These speak SQLite directly: schema-qualified names and ATTACH have no
// words in the program's SQL dialect. Failures throw LibraryError with
// SQLite's reason.
#pragma once

#include <optional>
#include <string>

#include "data/exam_library.h"

struct sqlite3;

namespace data::exam_store {

// The four tables an exam consists of, in the order they are copied.
inline constexpr const char* kExamTables[] = {"成绩表", "统计表", "教师表", "三线表"};

// An exclusive lock on the library folder (created when missing), held from
// construction to destruction; it waits while another program holds it. The
// system releases it when the process dies, so a killed import never leaves
// the library locked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

void Exec(sqlite3* db, const std::string& sql);
// Creates `path` empty; throws LibraryError when it exists or cannot be made.
void CreateEmptyFile(const std::string& path);
void Attach(sqlite3* db, const std::string& path, const std::string& schema);
// Never throws: a schema that cannot be detached stays until the connection closes.
void Detach(sqlite3* db, const std::string& schema);

// Replaces the four tables of schema `to` by copies of those of `from`, with
// the same declared column types and the rows in their order. A table that
// `from` lacks is left out of `to` too. Runs in the caller's transaction.
void CopyExamTables(sqlite3* db, const std::string& from, const std::string& to);

// The counts of the exam whose tables are in `schema`.
void CountExam(sqlite3* db, const std::string& schema, ExamInfo& info);

// Creates and fills `schema`.考试信息 with `info` (its id is the file's).
void WriteInfo(sqlite3* db, const std::string& schema, const ExamInfo& info);
// The 考试信息 of the exam file `path`; nullopt when the file holds none (an
// interrupted import) or is no database.
std::optional<ExamInfo> ReadInfo(const std::string& path, int id);
// Rewrites the name (and whether the user gave it) in the exam file.
void WriteName(const std::string& path, const std::string& name, bool named_by_user);

// The current exam's id in the score database's table 当前考试.
void SetCurrent(sqlite3* db, int id);
int ReadCurrent(sqlite3* db);

// Local time as "2026-12-06 11:20:51".
std::string Now();

// The ids of the "<id>.db" files in `folder`, whether they hold an exam or not.
std::vector<int> FileIds(const std::string& folder);

}  // namespace data::exam_store
