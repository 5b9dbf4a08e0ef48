#include "settings/stored_settings.h"

#include <algorithm>
#include <cmath>

#include "common/text_number.h"
#include "data/exam_library.h"
#include "data/score_database.h"

namespace settings {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

const std::vector<std::string>& NumberSettingNames() {
  static const std::vector<std::string> kNames = {
      "平均分", "优秀",     "优良",     "及格",       "单科段",
      "总分段", "三线折算", "隐藏姓名", "不显示名次", "告知书不画趋势"};
  return kNames;
}

const std::vector<std::string>& TitleSettingNames() {
  static const std::vector<std::string> kNames = {"学校",   "学年度",   "年级段",   "考试类型",
                                                  "主标题", "副左标题", "副右标题", "显示日期"};
  return kNames;
}

void StoreNumberSetting(engine::Database& db, const std::string& name, const std::string& value) {
  const std::string v = common::TextOfDouble(common::NumericValue(value));
  const std::string quoted = data::QuoteSql(name);
  // 三线折算, 隐藏姓名, 不显示名次 and 告知书不画趋势 are not among the defaults that repair
  // writes: a row is added
  // the first time it is set (absent, it reads as 0).
  engine::Recordset rs =
      db.OpenRecordset("select count(*) from xtsztable where 项目='" + quoted + "'");
  if (rs.FieldValue(0).AsInteger() == 0)
    db.Execute("INSERT INTO xtsztable (项目,数值, 类别) VALUES ('" + quoted + "', 0, 3)");
  db.Execute("UPDATE xtsztable SET 数值 =" + v + " where 项目='" + quoted + "' ");
}

void StoreTitleSetting(engine::Database& db, const std::string& column, const std::string& text) {
  // The column name is one of ours, never the user's: only the text is quoted.
  db.Execute("UPDATE bsxtable SET " + column + " ='" + data::QuoteSql(text) + "'");
}

void StoreLetterFooter(engine::Database& db, const std::string& text) {
  if (db.OpenRecordset("bsxtable").FieldCount() <= 9)
    db.Execute("ALTER TABLE bsxtable ADD COLUMN 告知书落款 text (100)");
  StoreTitleSetting(db, "告知书落款", text);
}

bool StoreSetting(engine::Database& db, const std::string& name, const std::string& value) {
  if (name == "告知书落款") {
    StoreLetterFooter(db, value);
    return true;
  }
  if (Contains(NumberSettingNames(), name)) {
    StoreNumberSetting(db, name, value);
    return true;
  }
  if (Contains(TitleSettingNames(), name)) {
    StoreTitleSetting(db, name, value);
    return true;
  }
  return false;
}

std::vector<std::pair<std::string, std::string>> ReadStoredSettings(engine::Database& db) {
  std::vector<std::pair<std::string, std::string>> out;
  engine::Recordset numbers = db.OpenRecordset("select * from xtsztable ORDER BY id");
  for (; !numbers.Eof(); numbers.MoveNext())
    out.emplace_back(numbers.FieldValue(1).AsText(), numbers.FieldValue(2).AsText());
  data::TitleSettings titles;
  data::LoadTitleSettings(db, titles);
  const std::string* texts[] = {&titles.School,        &titles.SchoolYear, &titles.GradeLevel,
                                &titles.ExamType,      &titles.MainTitle,  &titles.LeftSubtitle,
                                &titles.RightSubtitle, &titles.ShowDate};
  for (size_t i = 0; i < TitleSettingNames().size(); ++i)
    out.emplace_back(TitleSettingNames()[i], *texts[i]);
  out.emplace_back("告知书落款", titles.LetterFooter);
  return out;
}

void RenameCurrentExamAfterTitles(const data::AppState& state, const data::TitleSettings& before) {
  if (data::NameFromTitles(before) == data::NameFromTitles(state.title_settings)) return;
  try {
    data::NameCurrentExamAfterTitles(state);
  } catch (const data::LibraryError&) {
    // The name is a convenience; the user can still rename the exam.
  } catch (const engine::Error&) {
  }
}

}  // namespace settings
