#include "data/import_statistics.h"

#include "common/text_number.h"
#include "data/score_database.h"
#include "data/weighted_totals.h"

namespace data {

namespace {

const char* const kDerivedColumns[] = {
    "ALTER TABLE 统计表 ADD COLUMN 主科总分 SINGLE  ",
    "ALTER TABLE 统计表 ADD COLUMN 全科总分 SINGLE  ",
    "ALTER TABLE 统计表 ADD COLUMN 主科排名 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 全科排名 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 主科优秀数 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 主科优良数 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 主科及格数 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 全科优秀数 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 全科优良数 LONG",
    "ALTER TABLE 统计表 ADD COLUMN 全科及格数 LONG",
};

// The two UPDATE statements that fill the totals and the line counts, built
// from the subject settings.
std::vector<std::string> BuildTotalsStatements(const SubjectLines& lines) {
  // Without any main subject the main totals and counts are 0.
  const auto or_zero = [](const std::string& x) { return x.empty() ? std::string("0") : x; };
  const std::string t = or_zero(WeightedTotalExpression(lines, false));
  const std::string mt = or_zero(WeightedTotalExpression(lines, true));
  std::string e, g, p, me, mg, mp;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string& s = lines.SubjectName[i];
    auto line = [&](int pct) { return LineText(lines, i, pct); };
    const std::string excellent = "iif(" + s + ">=" + line(lines.ExcellentPct[i]) + ",1,0)+";
    const std::string good = "iif(" + s + ">=" + line(lines.GoodPct[i]) + ",1,0)+";
    const std::string pass = "iif(" + s + ">=" + line(lines.PassPct[i]) + ",1,0)+";
    e += excellent, g += good, p += pass;
    if (lines.IsMain(i)) me += excellent, mg += good, mp += pass;
  }
  for (std::string* x : {&e, &g, &p, &me, &mg, &mp}) {
    if (x->empty())
      *x = "0";
    else
      x->pop_back();
  }
  return {"Update 统计表 SET 主科总分 =" + mt + ",主科优秀数=" + me + ",主科优良数=" + mg +
              ",主科及格数 =" + mp,
          "Update 统计表 SET 全科总分 =" + t + ",全科优秀数=" + e + ",全科优良数=" + g +
              ",全科及格数 =" + p};
}

}  // namespace

const std::array<const char*, 10> DerivedColumns::kNames = {
    "主科总分",   "全科总分",   "主科排名",   "全科排名",   "主科优秀数",
    "主科优良数", "主科及格数", "全科优秀数", "全科优良数", "全科及格数"};

void AddDerivedColumns(engine::Database& db, common::ProgressSink& progress) {
  progress.Report(40, 100, "正在建立统计表……");
  for (int i = 0; i < 4; ++i) db.Execute(kDerivedColumns[i]);
  progress.Report(60, 100, "正在建立统计表……");
  for (int i = 4; i < 10; ++i) db.Execute(kDerivedColumns[i]);
}

void FillDerivedColumnsBySql(engine::Database& db, const SubjectLines& lines,
                             common::ProgressSink& progress) {
  progress.Report(80, 100, "正在计算总分和三线人数……");
  for (const std::string& sql : BuildTotalsStatements(lines)) db.Execute(sql);
  progress.Report(90, 100, "正在排名……");
  WriteImportRanks(db, "主科总分", "主科排名");
  WriteImportRanks(db, "全科总分", "全科排名");
}

std::string LineText(const SubjectLines& lines, int i, int pct) {
  return common::TextOfDouble(LineScore(lines.FullMark[i], pct));
}

void WriteImportRanks(engine::Database& db, const std::string& total_column,
                      const std::string& rank_column) {
  engine::Recordset rs = db.OpenRecordset("select " + total_column + "," + rank_column +
                                          "  from 统计表 ORDER BY " + total_column + " DESC");
  RankWalk walk;
  for (; !rs.Eof(); rs.MoveNext()) {
    const long long rank = walk.Next(rs.FieldValue(0).AsDouble());
    rs.Edit();
    rs.SetField(1, engine::Value::Integer(rank));
    rs.Update();
  }
}

long long RankWalk::Next(double total) {
  if (total != previous_) {
    rank_ += 1 + ties_;
    ties_ = 0;
  } else {
    ++ties_;
  }
  previous_ = total;
  return rank_;
}

}  // namespace data
