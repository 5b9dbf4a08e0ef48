#include "data/exam_library.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "data/exam_store.h"
#include "data/score_database.h"
#include "data/workbook.h"
#include "data/xlsx_writer.h"

namespace data {
namespace fs = std::filesystem;
namespace store = exam_store;

namespace {

constexpr const char* kNewExam = "exam_new";
constexpr const char* kSourceExam = "exam_source";

std::string Trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool NameTaken(const std::vector<ExamInfo>& exams, const std::string& name) {
  return std::any_of(exams.begin(), exams.end(), [&](const ExamInfo& e) { return e.name == name; });
}

// The default name: the stored titles when they describe an exam not yet in
// the library (right after an import they still describe the previous one),
// else the workbook's title row, else the workbooks' file names.
std::string DefaultName(engine::Database& db, const std::vector<ExamInfo>& exams,
                        const std::vector<std::string>& sources, const std::string& title_row) {
  TitleSettings titles;
  try {
    LoadTitleSettings(db, titles);
  } catch (const engine::Error&) {
    // No titles stored: the other sources of a name remain.
  }
  if (std::string n = NameFromTitles(titles); !n.empty() && !NameTaken(exams, n)) return n;
  if (std::string t = Trimmed(title_row); !t.empty()) return t;
  std::string stems;
  for (const std::string& s : sources)
    stems += (stems.empty() ? "" : "、") + fs::path(s).stem().string();
  return stems.empty() ? std::string("原有考试") : stems;
}

// Removes files that an interrupted import left (they hold no exam); the
// caller holds the folder's lock, so no import is writing one.
void RemoveLeftovers(const std::string& database_path) {
  for (int id : store::FileIds(LibraryFolder(database_path))) {
    const std::string path = ExamFilePath(database_path, id);
    if (store::ReadInfo(path, id)) continue;
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
  }
}

int NextId(const std::string& database_path) {
  const std::vector<int> ids = store::FileIds(LibraryFolder(database_path));
  return ids.empty() ? 1 : *std::max_element(ids.begin(), ids.end()) + 1;
}

void CopyTableToSheet(engine::Database& db, const std::string& table, Workbook& book,
                      const std::string& sheet_name) {
  Sheet& sheet = book.AddSheet(sheet_name);
  engine::Recordset rs = db.OpenRecordset(table);
  for (int c = 0; c < rs.FieldCount(); ++c)
    sheet.SetText(0, static_cast<std::size_t>(c), rs.FieldName(c));
  std::size_t row = 1;
  for (; !rs.Eof(); rs.MoveNext(), ++row) {
    for (int c = 0; c < rs.FieldCount(); ++c) {
      const engine::Value v = rs.FieldValue(c);
      const auto col = static_cast<std::size_t>(c);
      if (v.IsNumber())
        sheet.SetNumber(row, col, v.AsDouble());
      else if (v.IsText())
        sheet.SetText(row, col, v.AsText());
    }
  }
}

}  // namespace

std::string LibraryFolder(const std::string& database_path) {
  const fs::path db(database_path);
  return (db.parent_path() / (db.stem().string() + "-exams")).string();
}

std::string ExamFilePath(const std::string& database_path, int id) {
  return (fs::path(LibraryFolder(database_path)) / (std::to_string(id) + ".db")).string();
}

std::string NameFromTitles(const TitleSettings& titles) {
  const TitleSettings factory{"", "2008-2009年度下学期", "高一年级", "中期考试", "", "", "", ""};
  if (titles.SchoolYear == factory.SchoolYear && titles.GradeLevel == factory.GradeLevel &&
      titles.ExamType == factory.ExamType)
    return {};
  return Trimmed(Trimmed(titles.SchoolYear) + Trimmed(titles.GradeLevel) +
                 Trimmed(titles.ExamType));
}

std::vector<ExamInfo> ListExams(const std::string& database_path) {
  std::vector<ExamInfo> exams;
  for (int id : store::FileIds(LibraryFolder(database_path)))
    if (auto info = store::ReadInfo(ExamFilePath(database_path, id), id)) exams.push_back(*info);
  std::sort(exams.begin(), exams.end(), [](const ExamInfo& a, const ExamInfo& b) {
    return a.imported_at != b.imported_at ? a.imported_at < b.imported_at : a.id < b.id;
  });
  return exams;
}

ExamInfo FindExam(const std::string& database_path, int id) {
  if (id > 0)
    if (auto info = store::ReadInfo(ExamFilePath(database_path, id), id)) return *info;
  throw LibraryError("考试库中没有编号为 " + std::to_string(id) + " 的考试。");
}

int CurrentExamId(engine::Database& db) {
  return store::ReadCurrent(db.handle());
}

int CurrentExamId(const std::string& database_path) {
  if (!fs::exists(database_path)) return 0;
  engine::Database db = engine::Database::Open(database_path);
  return CurrentExamId(db);
}

engine::Database OpenExam(const std::string& database_path, int id) {
  FindExam(database_path, id);
  return engine::Database::Open(ExamFilePath(database_path, id));
}

struct ExamRecorder::State {
  engine::Database& db;
  store::FolderLock lock;
  ExamInfo info;
  std::string path;
};

ExamRecorder::ExamRecorder(engine::Database& db, const std::vector<std::string>& source_paths,
                           const std::string& title_row) {
  const std::string& database_path = db.path();
  state_ = std::unique_ptr<State>(
      new State{db, store::FolderLock(LibraryFolder(database_path)), {}, {}});
  RemoveLeftovers(database_path);
  ExamInfo& info = state_->info;
  info.id = NextId(database_path);
  info.name = DefaultName(db, ListExams(database_path), source_paths, title_row);
  for (const std::string& s : source_paths) info.sources.push_back(fs::path(s).filename().string());
  state_->path = ExamFilePath(database_path, info.id);
  store::CreateEmptyFile(state_->path);
  store::Attach(db.handle(), state_->path, kNewExam);
  // The copy writes its pages in order and never reads them back: those
  // beyond a modest cache go to the new file before the commit, and a
  // province's exam does not hold them all in memory.
  sqlite3_exec(db.handle(), "PRAGMA exam_new.cache_size=-65536", nullptr, nullptr, nullptr);
}

ExamRecorder::~ExamRecorder() {
  store::Detach(state_->db.handle(), kNewExam);
  if (!store::ReadInfo(state_->path, state_->info.id)) {
    std::error_code ec;
    fs::remove(state_->path, ec);
  }
}

int ExamRecorder::Record(common::ProgressSink& progress) {
  progress.Report(95, 100, "正在存入考试库……");
  sqlite3* db = state_->db.handle();
  store::CopyExamTables(db, "main", kNewExam);
  ExamInfo& info = state_->info;
  store::CountExam(db, kNewExam, info);
  info.imported_at = store::Now();
  store::WriteInfo(db, kNewExam, info);
  store::SetCurrent(db, info.id);
  return info.id;
}

bool EnsureCurrentExamListed(const AppState& state) {
  if (!fs::exists(state.database_path)) return false;
  engine::Database db = engine::Database::Open(state.database_path);
  if (!db.TableExists("成绩表")) return false;
  const auto listed = [&] {
    const int id = CurrentExamId(db);
    return id > 0 && store::ReadInfo(ExamFilePath(state.database_path, id), id).has_value();
  };
  if (listed()) return false;
  ExamRecorder recorder(db, {});
  // Another program may have added it while this one waited for the lock.
  if (listed()) return false;
  common::NullProgress quiet;
  engine::Transaction tx = db.BeginTransaction();
  recorder.Record(quiet);
  tx.Commit();
  return true;
}

void SwitchExam(AppState& state, int id, common::ProgressSink& progress) {
  engine::Database db = OpenScoreDatabase(state);
  store::FolderLock lock(LibraryFolder(state.database_path));
  FindExam(state.database_path, id);
  if (CurrentExamId(db) != id) {
    progress.Report(10, 100, "正在切换考试……");
    sqlite3* handle = db.handle();
    store::Attach(handle, ExamFilePath(state.database_path, id), kSourceExam);
    sqlite3_exec(handle, "PRAGMA cache_size=-262144", nullptr, nullptr, nullptr);
    try {
      engine::Transaction tx = db.BeginTransaction();
      store::CopyExamTables(handle, kSourceExam, "main");
      store::SetCurrent(handle, id);
      progress.Report(90, 100, "正在切换考试……");
      tx.Commit();
    } catch (...) {
      store::Detach(handle, kSourceExam);
      throw;
    }
    store::Detach(handle, kSourceExam);
  }
  LoadSubjectLines(db, state.subject_lines);
  progress.Report(100, 100, "切换完成");
}

void RenameExam(const std::string& database_path, int id, const std::string& name) {
  const std::string trimmed = Trimmed(name);
  if (trimmed.empty()) throw LibraryError("考试名称不能为空。");
  store::FolderLock lock(LibraryFolder(database_path));
  FindExam(database_path, id);
  store::WriteName(ExamFilePath(database_path, id), trimmed, true);
}

void DeleteExam(const std::string& database_path, int id) {
  store::FolderLock lock(LibraryFolder(database_path));
  const ExamInfo info = FindExam(database_path, id);
  if (CurrentExamId(database_path) == id)
    throw LibraryError("“" + info.name + "”是当前考试，不能删除。请先切换到另一次考试。");
  const std::string path = ExamFilePath(database_path, id);
  std::error_code ec;
  if (!fs::remove(path, ec) && ec)
    throw LibraryError("无法删除考试文件 " + path + "：" + ec.message());
  fs::remove(path + "-journal", ec);
}

void ExportExam(const std::string& database_path, int id, const std::string& xlsx_path) {
  engine::Database db = OpenExam(database_path, id);
  Workbook book;
  CopyTableToSheet(db, "成绩表", book, "Sheet1");
  CopyTableToSheet(db, "教师表", book, "Sheet2");
  CopyTableToSheet(db, "三线表", book, "Sheet3");
  WriteWorkbookXlsx(xlsx_path, book);
}

void NameCurrentExamAfterTitles(const AppState& state) {
  const std::string name = NameFromTitles(state.title_settings);
  const int id = CurrentExamId(state.database_path);
  if (name.empty() || id == 0) return;
  store::FolderLock lock(LibraryFolder(state.database_path));
  const auto info = store::ReadInfo(ExamFilePath(state.database_path, id), id);
  if (info && !info->named_by_user && info->name != name)
    store::WriteName(ExamFilePath(state.database_path, id), name, false);
}

}  // namespace data
