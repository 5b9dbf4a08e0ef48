// The score database file: where it lives, how it is opened, its system
// tables, and the loaders that copy its settings into memory.
#pragma once

#include <string>
#include <string_view>

#include "data/app_state.h"
#include "engine/database.h"

namespace data {

// The database path: `suju/sujuf.db` in the program's folder when the
// program runs from its build folder and that folder is writable, else in
// the user's data folder ($XDG_DATA_HOME/scorestat, by default
// ~/.local/share/scorestat); always the latter once installed
// (common/program_files.h). An override (the `--db` option) wins over all.
// Stores the result in `state`.
void SetDatabasePath(AppState& state, const std::string& override_path = {});
// The path the rule above gives, without an override, for the running
// program or for one in `program_folder`.
std::string DefaultDatabasePath();
std::string DefaultDatabasePath(const std::string& program_folder);

// Opens the score database at state.database_path. A missing file is created
// with the default system tables first.
engine::Database OpenScoreDatabase(const AppState& state);

// The table in which the statistics keep a copy of 成绩表's columns
// (stats/stored_columns.h), with its counter row. Triggers on 成绩表 write to
// it, so while they stand without it every edit of 成绩表 fails: opening an
// existing score database makes it again, empty (the copy is then made anew).
inline constexpr const char* kCreateStoredColumnsTable =
    "CREATE TABLE IF NOT EXISTS 成绩表快照 (名称 TEXT PRIMARY KEY, 版本 INTEGER, 数据 BLOB); "
    "INSERT OR IGNORE INTO 成绩表快照 VALUES ('版本', 0, NULL)";

// Recreates xtsztable and bsxtable with their default rows; a missing table
// is created anyway. Runs in one transaction.
void RepairSystemTables(engine::Database& db);
// The menu command of the same name: repair of the database at the state's path.
void RepairSystemTables(const AppState& state);

// Replaces a saved query (a missing one is created) with "PROCEDURE qname;"
// followed by `select_text`; an unchanged one is not written again.
void ReplaceSavedQuery(engine::Database& db, std::string_view name, std::string_view select_text);

// Fills state.subject_lines from 三线表. Stops silently at the first problem
// (missing table, fewer than six rows, an empty value), keeping what was read
// up to there; FirstSubjectCol is only changed when the first subject is
// found in 成绩表. Returns false when it stopped early.
bool LoadSubjectLines(AppState& state);
bool LoadSubjectLines(engine::Database& db, SubjectLines& lines);

// What the program does when it starts: the current exam is added to the
// exam library if a database from before the library holds one, then the
// subject lines, the titles and the privacy settings are loaded. A database without its tables
// leaves them empty; nothing is thrown.
void LoadStartupSettings(AppState& state);

// Fill state.system_settings / state.title_settings. Throw engine::Error.
void LoadSystemSettings(AppState& state);
void LoadTitleSettings(AppState& state);
void LoadSystemSettings(engine::Database& db, SystemSettings& settings);
// 隐藏姓名 and 不显示名次 from xtsztable; a row that is absent reads as off.
void LoadPrivacySettings(engine::Database& db, PrivacySettings& privacy);
void LoadTitleSettings(engine::Database& db, TitleSettings& settings);

// Text put into a single-quoted SQL literal: every quote doubled.
std::string QuoteSql(std::string_view text);

}  // namespace data
