// Writing the stored settings: the six numbers of xtsztable and the eight
// texts of bsxtable. The settings dialog and the command-line tool both store
// through these, with the same statements.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/app_state.h"
#include "engine/database.h"

namespace settings {

// The names of xtsztable's rows and of bsxtable's text columns, in order.
const std::vector<std::string>& NumberSettingNames();
const std::vector<std::string>& TitleSettingNames();

// "UPDATE xtsztable SET 数值 =v where 项目='name' "; v is the numeric value
// of `value` as a decimal number.
void StoreNumberSetting(engine::Database& db, const std::string& name, const std::string& value);
// "UPDATE bsxtable SET column ='text'" with every quote of the text doubled.
void StoreTitleSetting(engine::Database& db, const std::string& column, const std::string& text);

// 告知书落款, the parent letters' last line: a column bsxtable gets the
// first time it is stored.
void StoreLetterFooter(engine::Database& db, const std::string& text);

// Any of these by name; false when the name is none of them.
bool StoreSetting(engine::Database& db, const std::string& name, const std::string& value);

// After titles were stored and loaded into state.title_settings: when the
// name they give (学年度 + 年级段 + 考试类型) differs from that of `before`,
// the current exam of the library takes it, unless the user named the exam.
// A library that cannot be written keeps the old name; the titles are stored
// all the same.
void RenameCurrentExamAfterTitles(const data::AppState& state, const data::TitleSettings& before);

// Every stored setting as name and text: the numbers, the titles, 告知书落款.
std::vector<std::pair<std::string, std::string>> ReadStoredSettings(engine::Database& db);

}  // namespace settings
