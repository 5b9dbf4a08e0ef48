#include "data/score_database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "common/program_files.h"
#include "data/exam_library.h"

namespace data {
namespace fs = std::filesystem;

namespace {

constexpr const char* kDatabaseRelative = "suju/sujuf.db";

std::string UserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return fs::path(xdg) / "scorestat";
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local/share/scorestat";
  return fs::temp_directory_path() / "scorestat";
}

bool FolderWritable(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK) == 0;
}

// The stored value as a whole number; an empty or non-numeric value stops the
// loader just as a failed conversion would.
bool ToWholeNumber(const engine::Value& v, int& out) {
  if (v.IsNull()) return false;
  if (v.IsText() && v.AsText().empty()) return false;
  double d = std::nearbyint(v.AsDouble());
  if (!(std::fabs(d) <= std::numeric_limits<int>::max())) return false;
  out = static_cast<int>(d);
  return true;
}

const char* const kRepairStatements[] = {
    "CREATE TABLE xtsztable (id COUNTER ,项目 text (8),数值 SHORT,类别 SHORT)",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('平均分', 40, 1);",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('优秀', 20, 1);",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('优良', 20, 1);",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('及格', 20, 1);",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('单科段', 20, 2);",
    " INSERT INTO xtsztable (项目,数值, 类别) VALUES ('总分段', 20, 2);",
};

const char* const kRepairTitleStatements[] = {
    "CREATE TABLE bsxtable (id COUNTER ,学校 text (50),学年度 text (30),年级段 text (20),考试类型 "
    "text (20),主标题 text (50),副左标题 text (50),副右标题 text (50),显示日期 text (50))",
    " INSERT INTO bsxtable (学校,学年度, 年级段,考试类型,主标题,副左标题,副右标题,显示日期) "
    "VALUES ('XX县XX中学','2008-2009年度下学期','高一年级', "
    "'中期考试','高一年级中期考试','XX县XX中学','2008-2009年度下学期','0');",
};

void DropIfPresent(engine::Database& db, const char* table) {
  if (db.TableExists(table)) db.Execute(std::string("DROP TABLE ") + table);
}

}  // namespace

std::string DefaultDatabasePath() {
  return DefaultDatabasePath(common::ProgramFolder());
}

std::string DefaultDatabasePath(const std::string& program_folder) {
  const fs::path program(program_folder);
  // Installed, the program folder is /usr/bin: even root must not get a
  // database there.
  if (!common::InstalledShareFolder(program_folder).empty())
    return (fs::path(UserDataFolder()) / kDatabaseRelative).string();
  fs::path suju = program / "suju";
  bool writable = fs::exists(suju) ? FolderWritable(suju) : FolderWritable(program);
  fs::path base = writable ? program : fs::path(UserDataFolder());
  return (base / kDatabaseRelative).string();
}

void SetDatabasePath(AppState& state, const std::string& override_path) {
  state.database_path = override_path.empty() ? DefaultDatabasePath() : override_path;
}

namespace {

// A user who drops 成绩表快照 by hand would otherwise leave every later edit
// of 成绩表 refused by its triggers. A file that cannot be written cannot be
// edited either, so a failure here changes nothing.
void RestoreStoredColumnsTable(engine::Database& db) {
  sqlite3* handle = db.handle();
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(handle,
                         "SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND tbl_name = "
                         "'成绩表' AND name LIKE '成绩表快照%' AND NOT EXISTS (SELECT 1 FROM "
                         "sqlite_master WHERE type = 'table' AND name = '成绩表快照')",
                         -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return;
  }
  const bool orphaned = sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  if (orphaned) sqlite3_exec(handle, kCreateStoredColumnsTable, nullptr, nullptr, nullptr);
}

}  // namespace

engine::Database OpenScoreDatabase(const AppState& state) {
  const fs::path path(state.database_path);
  if (fs::exists(path)) {
    engine::Database db = engine::Database::Open(state.database_path);
    RestoreStoredColumnsTable(db);
    return db;
  }
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  engine::Database db = engine::Database::OpenOrCreate(state.database_path);
  RepairSystemTables(db);
  return db;
}

void RepairSystemTables(engine::Database& db) {
  engine::Transaction tx = db.BeginTransaction();
  DropIfPresent(db, "xtsztable");
  for (const char* sql : kRepairStatements) db.Execute(sql);
  DropIfPresent(db, "bsxtable");
  for (const char* sql : kRepairTitleStatements) db.Execute(sql);
  tx.Commit();
}

void RepairSystemTables(const AppState& state) {
  engine::Database db = OpenScoreDatabase(state);
  RepairSystemTables(db);
}

void ReplaceSavedQuery(engine::Database& db, std::string_view name, std::string_view select_text) {
  // CreateQuery replaces a query of that name in one step and leaves an
  // identical one alone.
  db.CreateQuery(name, std::string("PROCEDURE qname;") + std::string(select_text));
}

bool LoadSubjectLines(engine::Database& db, SubjectLines& lines) {
  try {
    engine::Recordset rs = db.OpenRecordset("三线表");
    const int n = rs.FieldCount() - 1;
    lines.Resize(n);
    std::vector<int>* rows[] = {&lines.FullMark, &lines.ExcellentPct, &lines.GoodPct,
                                &lines.PassPct,  &lines.MainFlag,     &lines.TotalWeightPct};
    for (int row = 0; row < 6; ++row) {
      if (rs.Eof()) return false;
      for (int i = 0; i < n; ++i) {
        if (!ToWholeNumber(rs.FieldValue(i + 1), (*rows[row])[i])) return false;
        if (row == 0) lines.SubjectName[i] = rs.FieldName(i + 1);
      }
      rs.MoveNext();
    }
    if (n < 1) return false;
    std::vector<std::string> columns = db.ColumnNames("成绩表");
    for (size_t p = 1; p < columns.size(); ++p) {
      if (columns[p] == lines.SubjectName[0]) {
        lines.FirstSubjectCol = static_cast<int>(p) + 1;
        return true;
      }
    }
    return false;
  } catch (const engine::Error&) {
    return false;
  }
}

bool LoadSubjectLines(AppState& state) {
  try {
    engine::Database db = OpenScoreDatabase(state);
    return LoadSubjectLines(db, state.subject_lines);
  } catch (const engine::Error&) {
    return false;
  }
}

void LoadStartupSettings(AppState& state) {
  try {
    EnsureCurrentExamListed(state);
  } catch (const LibraryError&) {
    // A library that cannot be written (a read-only copy of the database):
    // the reports on the current exam work all the same.
  } catch (const engine::Error&) {
  }
  LoadSubjectLines(state);
  try {
    LoadTitleSettings(state);
    engine::Database db = OpenScoreDatabase(state);
    LoadPrivacySettings(db, state.privacy);
  } catch (const engine::Error&) {
    // The titles stay empty, as on the first start before any import.
  }
}

void LoadSystemSettings(engine::Database& db, SystemSettings& settings) {
  struct Slot {
    const char* name;
    int SystemSettings::*field;
  };
  static const Slot kSlots[] = {
      {"平均分", &SystemSettings::AvgWeight},
      {"优秀", &SystemSettings::ExcellentWeight},
      {"优良", &SystemSettings::GoodWeight},
      {"及格", &SystemSettings::PassWeight},
      {"单科段", &SystemSettings::SubjectSegment},
      {"总分段", &SystemSettings::TotalSegment},
      {"三线折算", &SystemSettings::ScaleLinesByFullMark},
  };
  engine::Recordset rs = db.OpenRecordset("select * from xtsztable ORDER BY id");
  for (; !rs.Eof(); rs.MoveNext()) {
    const std::string name = rs.FieldValue(1).AsText();
    for (const Slot& slot : kSlots) {
      if (name == slot.name) settings.*slot.field = static_cast<int>(rs.FieldValue(2).AsInteger());
    }
  }
}

void LoadPrivacySettings(engine::Database& db, PrivacySettings& privacy) {
  privacy = {};
  engine::Recordset rs = db.OpenRecordset(
      "select 项目,数值 from xtsztable where 项目='隐藏姓名' or 项目='不显示名次' or "
      "项目='告知书不画趋势'");
  for (; !rs.Eof(); rs.MoveNext()) {
    const bool on = rs.FieldValue(1).AsInteger() != 0;
    const std::string name = rs.FieldValue(0).AsText();
    if (name == "告知书不画趋势")
      privacy.letter_trend = on ? LetterTrend::kOff : LetterTrend::kAuto;
    else
      (name == "隐藏姓名" ? privacy.mask_names : privacy.no_rank) = on;
  }
}

void LoadTitleSettings(engine::Database& db, TitleSettings& settings) {
  engine::Recordset rs = db.OpenRecordset("bsxtable");
  if (rs.Eof())
    throw engine::Error(engine::Error::Kind::kState, "标题设置表 bsxtable 中没有记录。");
  std::string* fields[] = {&settings.School,        &settings.SchoolYear, &settings.GradeLevel,
                           &settings.ExamType,      &settings.MainTitle,  &settings.LeftSubtitle,
                           &settings.RightSubtitle, &settings.ShowDate};
  for (int i = 0; i < 8; ++i) *fields[i] = rs.FieldValue(i + 1).AsText(engine::FieldType::kText);
  // 告知书落款 is added to the table the first time it is stored.
  settings.LetterFooter.clear();
  if (rs.FieldCount() > 9)
    settings.LetterFooter = rs.FieldValue(9).AsText(engine::FieldType::kText);
}

void LoadSystemSettings(AppState& state) {
  engine::Database db = OpenScoreDatabase(state);
  LoadSystemSettings(db, state.system_settings);
}

void LoadTitleSettings(AppState& state) {
  engine::Database db = OpenScoreDatabase(state);
  LoadTitleSettings(db, state.title_settings);
}

std::string QuoteSql(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

}  // namespace data
