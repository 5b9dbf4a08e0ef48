#include "data/weighted_totals.h"

#include "common/text_number.h"

namespace data {

std::string WeightedTotalExpression(const SubjectLines& lines, bool main_only) {
  std::string e;
  for (int i = 0; i < lines.Count(); ++i) {
    if (main_only && !lines.IsMain(i)) continue;
    const std::string& s = lines.SubjectName[i];
    e.append("IIf(IsNull(").append(s).append("), 0, ").append(s).append(")*");
    e.append(WeightText(lines, i)).append("+");
  }
  if (!e.empty()) e.pop_back();
  return e;
}

std::string WeightText(const SubjectLines& lines, int i) {
  return common::TextOfDouble(lines.TotalWeightPct[i] / 100.0);
}

double WeightedFullMark(const SubjectLines& lines, bool main_only) {
  double full_mark = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    if (main_only && !lines.IsMain(i)) continue;
    const long long product = static_cast<long long>(lines.FullMark[i]) * lines.TotalWeightPct[i];
    if (product >= -32768 && product <= 32767) full_mark += static_cast<double>(product) / 100.0;
  }
  return full_mark;
}

std::optional<HighestLowest> ReadHighestLowest(engine::Database& db, const std::string& expression,
                                               bool positive_only) {
  std::string sql = "select max(" + expression + "),min(" + expression + ")  From 成绩表";
  if (positive_only) sql += " where " + expression + ">0";
  engine::Recordset rs = db.OpenRecordset(sql);
  if (rs.Eof()) return std::nullopt;
  const engine::Value high = rs.FieldValue(0), low = rs.FieldValue(1);
  return HighestLowest{high.AsDouble(), low.AsDouble(), high.AsText(rs.FieldTypeOf(0)),
                       low.AsText(rs.FieldTypeOf(1))};
}

}  // namespace data
