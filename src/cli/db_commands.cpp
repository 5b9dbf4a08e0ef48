// repair, sql, settings: the commands that work on the database directly.
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "data/score_database.h"
#include "engine/statement.h"
#include "settings/stored_settings.h"

namespace cli {
namespace {

void PrintRecordset(engine::Recordset& rs, std::ostream& out) {
  const int n = rs.FieldCount();
  for (int k = 0; k < n; ++k) out << (k ? "\t" : "") << rs.FieldName(k);
  out << "\n";
  for (; !rs.Eof(); rs.MoveNext()) {
    for (int k = 0; k < n; ++k)
      out << (k ? "\t" : "") << rs.FieldValue(k).AsText(rs.FieldTypeOf(k));
    out << "\n";
  }
}

}  // namespace

int Repair(Context& ctx) {
  data::RepairSystemTables(ctx.state);
  ctx.err << "系统表已重建: " << ctx.state.database_path << "\n";
  return 0;
}

int Sql(Context& ctx) {
  if (ctx.args.size() != 1) {
    ctx.err << "用法: scorestat-cli sql \"语句\"\n";
    return 2;
  }
  const std::string& sql = ctx.args[0];
  engine::Database db = data::OpenScoreDatabase(ctx.state);
  if (engine::KindOfStatement(sql) == engine::StatementKind::kQuery) {
    engine::Recordset rs = db.OpenRecordset(sql);
    PrintRecordset(rs, ctx.out);
  } else {
    db.Execute(sql);
  }
  return 0;
}

int Settings(Context& ctx) {
  engine::Database db = data::OpenScoreDatabase(ctx.state);
  data::TitleSettings before;
  data::LoadTitleSettings(db, before);
  for (const std::string& arg : ctx.args) {
    size_t eq = arg.find('=');
    if (eq == std::string::npos) {
      ctx.err << "设置应写成 名称=值: " << arg << "\n";
      return 2;
    }
    if (!settings::StoreSetting(db, arg.substr(0, eq), arg.substr(eq + 1))) {
      ctx.err << "没有这个设置项: " << arg.substr(0, eq) << "\n";
      return 2;
    }
  }
  data::LoadTitleSettings(db, ctx.state.title_settings);
  settings::RenameCurrentExamAfterTitles(ctx.state, before);
  for (const auto& [name, value] : settings::ReadStoredSettings(db))
    ctx.out << name << "=" << value << "\n";
  return 0;
}

}  // namespace cli
