#include "data/exam_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

namespace data::exam_store {
namespace fs = std::filesystem;

namespace {

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

struct DbDeleter {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, DbDeleter>;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw LibraryError("考试库操作失败（" + what + "）：" + sqlite3_errmsg(db));
}

Stmt Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
    Fail(db, sql);
  return Stmt(raw);
}

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Qualified(const std::string& schema, const std::string& table) {
  return Quoted(schema) + "." + Quoted(table);
}

// The CREATE text of `schema`.`table`, empty when there is no such table.
std::string CreateText(sqlite3* db, const std::string& schema, const std::string& table) {
  Stmt stmt = Prepare(
      db, "SELECT sql FROM " + Quoted(schema) + ".sqlite_master WHERE type='table' AND name=?1");
  BindText(stmt.get(), 1, table);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return {};
  const char* sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
  return sql ? sql : "";
}

long long CountOf(sqlite3* db, const std::string& sql) {
  Stmt stmt = Prepare(db, sql);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) Fail(db, sql);
  return sqlite3_column_int64(stmt.get(), 0);
}

std::string ColumnText(sqlite3_stmt* stmt, int col) {
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  return text ? text : "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

Connection OpenFile(const std::string& path) {
  sqlite3* raw = nullptr;
  // Read-write, so that SQLite can roll back what an interrupted import left
  // in the file's journal before anything is read.
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Connection db(raw);
  if (rc != SQLITE_OK) return nullptr;
  sqlite3_busy_timeout(raw, 5000);
  return db;
}

}  // namespace

FolderLock::FolderLock(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const std::string path = (fs::path(folder) / ".lock").string();
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw LibraryError("无法使用考试库文件夹 " + folder + "：" + std::strerror(errno));
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd_);
    throw LibraryError("无法锁定考试库文件夹 " + folder + "：" + std::strerror(error));
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

void Exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

void CreateEmptyFile(const std::string& path) {
  // The score database's connection may not create files, and an attached
  // file takes its flags; an empty file is an empty database.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw LibraryError("无法建立考试文件 " + path + "：" + std::strerror(errno));
  ::close(fd);
}

void Attach(sqlite3* db, const std::string& path, const std::string& schema) {
  Stmt stmt = Prepare(db, "ATTACH DATABASE ?1 AS " + Quoted(schema));
  BindText(stmt.get(), 1, path);
  if (sqlite3_step(stmt.get()) != SQLITE_DONE) Fail(db, "ATTACH " + path);
}

void Detach(sqlite3* db, const std::string& schema) {
  sqlite3_exec(db, ("DETACH DATABASE " + Quoted(schema)).c_str(), nullptr, nullptr, nullptr);
}

void CopyExamTables(sqlite3* db, const std::string& from, const std::string& to) {
  for (const char* name : kExamTables) {
    const std::string table = name;
    const std::string create = CreateText(db, from, table);
    Exec(db, "DROP TABLE IF EXISTS " + Qualified(to, table));
    if (create.empty()) continue;
    // "CREATE TABLE <name> (<columns>)": the columns with their declared
    // types, which tell the engine a SINGLE total from a DOUBLE score.
    const std::size_t columns = create.find('(');
    if (columns == std::string::npos) throw LibraryError("考试库中的表 " + table + " 已损坏。");
    Exec(db, "CREATE TABLE " + Qualified(to, table) + " " + create.substr(columns));
    // Same columns in the same order: SQLite copies the pages as they are.
    Exec(db, "INSERT INTO " + Qualified(to, table) + " SELECT * FROM " + Qualified(from, table));
  }
}

void CountExam(sqlite3* db, const std::string& schema, ExamInfo& info) {
  const std::string scores = Qualified(schema, "成绩表");
  info.students = CountOf(db, "SELECT count(*) FROM " + scores);
  info.schools = static_cast<int>(CountOf(db, "SELECT count(DISTINCT \"学校\") FROM " + scores));
  info.classes = static_cast<int>(
      CountOf(db, "SELECT count(*) FROM (SELECT DISTINCT \"学校\",\"班级\" FROM " + scores + ")"));
  const long long columns =
      CountOf(db, "SELECT count(*) FROM pragma_table_info('三线表', '" + schema + "')");
  info.subjects = columns > 0 ? static_cast<int>(columns - 1) : 0;
}

void WriteInfo(sqlite3* db, const std::string& schema, const ExamInfo& info) {
  const std::string table = Qualified(schema, "考试信息");
  Exec(db, "DROP TABLE IF EXISTS " + table);
  Exec(db, "CREATE TABLE " + table +
               " (名称 TEXT, 导入时间 TEXT, 源文件 TEXT, 学生数 INTEGER, 学校数 INTEGER, "
               "班级数 INTEGER, 科目数 INTEGER, 用户命名 INTEGER)");
  Stmt stmt = Prepare(db, "INSERT INTO " + table + " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  std::string sources;
  for (const std::string& s : info.sources) sources += (sources.empty() ? "" : "\n") + s;
  BindText(stmt.get(), 1, info.name);
  BindText(stmt.get(), 2, info.imported_at);
  BindText(stmt.get(), 3, sources);
  sqlite3_bind_int64(stmt.get(), 4, info.students);
  sqlite3_bind_int(stmt.get(), 5, info.schools);
  sqlite3_bind_int(stmt.get(), 6, info.classes);
  sqlite3_bind_int(stmt.get(), 7, info.subjects);
  sqlite3_bind_int(stmt.get(), 8, info.named_by_user ? 1 : 0);
  if (sqlite3_step(stmt.get()) != SQLITE_DONE) Fail(db, "考试信息");
}

std::optional<ExamInfo> ReadInfo(const std::string& path, int id) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  Connection db = OpenFile(path);
  if (!db) return std::nullopt;
  sqlite3_stmt* raw = nullptr;
  const char* sql =
      "SELECT 名称, 导入时间, 源文件, 学生数, 学校数, 班级数, 科目数, 用户命名 FROM 考试信息";
  if (sqlite3_prepare_v2(db.get(), sql, -1, &raw, nullptr) != SQLITE_OK) return std::nullopt;
  Stmt stmt(raw);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return std::nullopt;
  ExamInfo info;
  info.id = id;
  info.name = ColumnText(stmt.get(), 0);
  info.imported_at = ColumnText(stmt.get(), 1);
  info.sources = SplitLines(ColumnText(stmt.get(), 2));
  info.students = sqlite3_column_int64(stmt.get(), 3);
  info.schools = sqlite3_column_int(stmt.get(), 4);
  info.classes = sqlite3_column_int(stmt.get(), 5);
  info.subjects = sqlite3_column_int(stmt.get(), 6);
  info.named_by_user = sqlite3_column_int(stmt.get(), 7) != 0;
  return info;
}

void WriteName(const std::string& path, const std::string& name, bool named_by_user) {
  Connection db = OpenFile(path);
  if (!db) throw LibraryError("无法打开考试文件：" + path);
  Stmt stmt = Prepare(db.get(), "UPDATE 考试信息 SET 名称 = ?1, 用户命名 = ?2");
  BindText(stmt.get(), 1, name);
  sqlite3_bind_int(stmt.get(), 2, named_by_user ? 1 : 0);
  if (sqlite3_step(stmt.get()) != SQLITE_DONE) Fail(db.get(), "改名");
}

void SetCurrent(sqlite3* db, int id) {
  Exec(db, "CREATE TABLE IF NOT EXISTS main.\"当前考试\" (\"考试编号\" INTEGER)");
  Exec(db, "DELETE FROM main.\"当前考试\"");
  Exec(db, "INSERT INTO main.\"当前考试\" VALUES (" + std::to_string(id) + ")");
}

int ReadCurrent(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT \"考试编号\" FROM main.\"当前考试\"", -1, &raw, nullptr) !=
      SQLITE_OK)
    return 0;  // no such table: a database from before the library
  Stmt stmt(raw);
  return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int(stmt.get(), 0) : 0;
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

std::vector<int> FileIds(const std::string& folder) {
  std::vector<int> ids;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return ids;
  for (const fs::directory_entry& entry : it) {
    const fs::path& p = entry.path();
    if (p.extension() != ".db") continue;
    const std::string stem = p.stem().string();
    if (stem.empty() || stem.size() > 9 ||
        stem.find_first_not_of("0123456789") != std::string::npos || stem[0] == '0')
      continue;
    ids.push_back(std::stoi(stem));
  }
  return ids;
}

}  // namespace data::exam_store
