#include "reports/group_figures.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <utility>

#include "engine/functions.h"
#include "stats/grouped_columns.h"
#include "stats/stored_columns.h"

namespace reports {
namespace {

__extension__ typedef __int128 Wide;

constexpr double kUnit = 64;                // scores are whole numbers of 1/64 ...
constexpr double kLimit = 1048576;          // ... within ±2^20, so that
constexpr std::int64_t kMaxRows = 1 << 26;  // Σ score × 64 stays below 2^53

using engine::FieldType;
using engine::Value;

// v × 64 when v is a whole number of 1/64 within the limit (and not -0,
// which prints apart from 0).
std::optional<std::int64_t> Units(double v) {
  if (!(std::fabs(v) <= kLimit) || (v == 0 && std::signbit(v))) return std::nullopt;
  const double u = v * kUnit;  // exact: a power of two
  if (u != std::trunc(u)) return std::nullopt;
  return static_cast<std::int64_t>(u);
}

// One group's scores, kept so that nothing depends on their order.
struct Tally {
  std::int64_t n = 0;
  std::int64_t units = 0;  // Σ v × 64
  Wide squares = 0;        // Σ (v × 64)²
  double max = 0;
  double min = 0;
  std::array<std::int64_t, 3> at_least{};  // 优秀, 优良, 及格
  std::vector<std::int64_t> segments;

  // Adds `other`'s scores: every figure is a whole sum or an extreme, so
  // the order of adding changes nothing.
  void Merge(const Tally& other) {
    if (other.n == 0) return;
    max = n == 0 || other.max > max ? other.max : max;
    min = n == 0 || other.min < min ? other.min : min;
    n += other.n;
    units += other.units;
    squares += other.squares;
    for (std::size_t i = 0; i < at_least.size(); ++i) at_least[i] += other.at_least[i];
    segments.resize(other.segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) segments[i] += other.segments[i];
  }
};

class Accumulator {
 public:
  explicit Accumulator(const SubjectColumns& columns) : columns_(columns) {
    for (const double line : {columns.lines.excellent, columns.lines.good, columns.lines.pass})
      certain_ = certain_ && Units(line).has_value();
  }
  bool Certain() const { return certain_; }
  const std::string& Subject() const { return columns_.subject; }

  void Add(Tally& t, double v) {
    const std::optional<std::int64_t> u = Units(v);
    if (!u) {
      certain_ = false;
      return;
    }
    t.max = t.n == 0 || v > t.max ? v : t.max;
    t.min = t.n == 0 || v < t.min ? v : t.min;
    ++t.n;
    t.units += *u;
    t.squares += static_cast<Wide>(*u) * *u;
    const StatLines& l = columns_.lines;
    t.at_least[0] += v >= l.excellent;
    t.at_least[1] += v >= l.good;
    t.at_least[2] += v >= l.pass;
    t.segments.resize(columns_.segments.size());
    for (std::size_t i = 0; i < columns_.segments.size(); ++i)
      t.segments[i] += v >= columns_.segments[i].low && v <= columns_.segments[i].high;
  }

  // The statistic and segment values of `t`, as the query computes them.
  std::vector<Value> Figures(const Tally& t);

 private:
  std::optional<std::int64_t> Deviation(const Tally& t);

  const SubjectColumns& columns_;
  bool certain_ = true;
};

// cint(StDev × 100) from the exact sums. The query's running (Welford)
// deviation may differ from the exact one in the last bits, depending on
// its order; hundredths it could round the other way are declined.
std::optional<std::int64_t> Accumulator::Deviation(const Tally& t) {
  if (t.n < 2) return std::nullopt;
  const Wide spread = static_cast<Wide>(t.n) * t.squares - static_cast<Wide>(t.units) * t.units;
  if (spread == 0) return 0;  // equal scores: the running deviation is exactly 0 too
  const long double n = static_cast<long double>(t.n);
  const long double variance = static_cast<long double>(spread) / (n * (n - 1)) / (kUnit * kUnit);
  const long double x = std::sqrt(variance) * 100;
  const long double mean = static_cast<long double>(t.units) / kUnit / n;
  const long double slack = x * 16 * n * DBL_EPSILON * (1 + mean * mean / variance);
  const long double nearest = std::nearbyint(x);
  if (std::fabs(std::fabs(x - nearest) - 0.5L) <= slack) certain_ = false;
  return static_cast<std::int64_t>(nearest);
}

std::vector<Value> Accumulator::Figures(const Tally& t) {
  std::vector<Value> out;
  const bool any = t.n > 0;
  const double n = static_cast<double>(t.n);
  const auto hundredths = [](std::optional<std::int64_t> k) {
    return k ? Value::Real(static_cast<double>(*k) / 100) : Value();
  };
  const auto real_if_any = [&](double v) { return any ? Value::Real(v) : Value(); };
  const double sum = static_cast<double>(t.units) / kUnit;
  std::optional<std::int64_t> mean;
  if (any) mean = engine::RoundHalfEven(sum / n * 100);
  out.push_back(Value::Integer(t.n));
  out.push_back(real_if_any(sum));
  out.push_back(hundredths(mean));
  std::array<std::optional<std::int64_t>, 3> rates;
  for (std::size_t i = 0; i < 3; ++i) {
    if (any) rates[i] = engine::RoundHalfEven(static_cast<double>(t.at_least[i] * 10000) / n);
    out.push_back(Value::Integer(t.at_least[i]));
    out.push_back(hundredths(rates[i]));
  }
  const data::SystemSettings& w = columns_.weights;
  const auto part = [](std::optional<std::int64_t> k, int weight) {
    return static_cast<double>(*k) / 10000 * weight;
  };
  out.push_back(any ? Value::Real(part(mean, w.AvgWeight) + part(rates[0], w.ExcellentWeight) +
                                  part(rates[1], w.GoodWeight) + part(rates[2], w.PassWeight))
                    : Value());
  out.push_back(real_if_any(t.max));
  out.push_back(real_if_any(t.min));
  out.push_back(real_if_any(t.max - t.min));
  out.push_back(hundredths(Deviation(t)));
  for (std::size_t i = 0; i < columns_.segments.size(); ++i)
    out.push_back(Value::Integer(i < t.segments.size() ? t.segments[i] : 0));
  return out;
}

// The statistic and segment columns' names and types, as the query names
// and types them.
void AddFigureFields(output::ComputedTable& table, const SubjectColumns& columns) {
  const auto add = [&](std::string name, FieldType type) {
    table.names.push_back(std::move(name));
    table.types.push_back(type);
  };
  add("参考人数", FieldType::kLong);
  add("总分", FieldType::kDouble);
  add("平均分", FieldType::kDouble);
  for (const char* word : {"优秀", "优良", "及格"}) {
    add(std::string(word) + "人数", FieldType::kLong);
    add(std::string(word) + "率", FieldType::kDouble);
  }
  for (const char* name : {"综合分", "最高分", "最低分", "全距", "标准差"})
    add(name, FieldType::kDouble);
  for (const Segment& segment : columns.segments) add(SegmentName(segment), FieldType::kLong);
}

// One tally per group and one over all rows; false when the pass must
// decline.
bool Tallies(const stats::GroupedColumns& read, Accumulator& acc, std::vector<Tally>& groups,
             Tally& whole) {
  const stats::GroupedRows& rows = read.groupings.front();
  const stats::NumberColumn& scores = read.columns.front();
  if (!rows.exact || scores.type != FieldType::kDouble || !scores.all_real ||
      scores.values.size() > static_cast<std::size_t>(kMaxRows))
    return false;
  groups.resize(rows.keys.size());
  for (std::size_t i = 0; i < scores.values.size() && acc.Certain(); ++i) {
    const double v = scores.values[i];
    if (std::isnan(v)) continue;  // Null
    acc.Add(groups[rows.group_of_row[i]], v);
  }
  for (const Tally& g : groups) whole.Merge(g);
  return acc.Certain();
}

// Each group's tally, read and added up as the pass reads them.
struct GroupTallies {
  stats::GroupedRows rows;
  std::vector<Tally> tallies;
  Tally whole;
};

std::optional<GroupTallies> ReadTallies(engine::Database& db, const std::vector<std::string>& keys,
                                        Accumulator& acc, ScoreSource source) {
  if (!acc.Certain()) return std::nullopt;
  stats::GroupedColumns read;
  try {
    read = source == ScoreSource::kStoredCopy
               ? stats::ReadStoredColumns(db, keys, acc.Subject())
               : stats::ReadGroupedColumns(db, {keys}, {acc.Subject()});
  } catch (const engine::Error&) {
    return std::nullopt;
  }
  GroupTallies out;
  if (!Tallies(read, acc, out.tallies, out.whole)) return std::nullopt;
  out.rows = std::move(read.groupings.front());
  return out;
}

// `keys` and `key_types` with the figure fields after them; the 合计 row
// from `whole`.
GroupFigures StartFigures(Accumulator& acc, const SubjectColumns& columns,
                          const std::vector<std::string>& keys, std::vector<FieldType> key_types,
                          const Tally& whole) {
  GroupFigures out;
  out.groups.names = keys;
  out.groups.types = std::move(key_types);
  AddFigureFields(out.groups, columns);
  const std::vector<Value> total = acc.Figures(whole);
  for (std::size_t j = 0; j < total.size(); ++j)
    out.total.push_back(total[j].AsText(out.groups.types[keys.size() + j]));
  return out;
}

void AddGroup(GroupFigures& out, Accumulator& acc, std::vector<Value> keys, const Tally& tally) {
  for (Value& v : acc.Figures(tally)) keys.push_back(std::move(v));
  out.groups.records.push_back(std::move(keys));
}

bool IsNumberType(FieldType type) {
  return type == FieldType::kDouble || type == FieldType::kSingle || type == FieldType::kLong ||
         type == FieldType::kShort;
}

// How the join compares 学校 and 班级 of the two tables: as texts byte by
// byte, or 班级 as numbers; a pair of columns compared any other way (a
// text against a number column converts the text) is not matched.
struct JoinKinds {
  bool class_is_number = false;

  // False when `v`, a key of either table, is of another kind than its
  // column promises; Null never joins and passes.
  bool Fits(const Value& v, bool number) const {
    return v.IsNull() || (number ? v.IsNumber() : v.IsText());
  }
  bool FitsRow(const Value& school, const Value& cls) const {
    return Fits(school, false) && Fits(cls, class_is_number);
  }
};

std::optional<JoinKinds> KindsOf(const std::vector<FieldType>& score_keys, FieldType school,
                                 FieldType cls) {
  if (score_keys[0] != FieldType::kText || school != FieldType::kText) return std::nullopt;
  if (score_keys[1] == FieldType::kText && cls == FieldType::kText) return JoinKinds{false};
  if (IsNumberType(score_keys[1]) && IsNumberType(cls)) return JoinKinds{true};
  return std::nullopt;
}

std::vector<stats::KeyValue> KeysOf(const Value& first, const Value& second) {
  return {stats::KeyOf(first), stats::KeyOf(second)};
}

// A teacher's group: its keys as the first joined row holds them.
struct TeacherGroup {
  std::vector<Value> keys;
  Tally tally;
};

// Adds each class's tally to the group of (学校, teacher) of every row of
// 教师表 naming the class: once per row, as the join repeats a class's
// students for each. False when the join cannot be matched for certain.
bool JoinTeachers(engine::Database& db, const std::string& subject, const GroupTallies& classes,
                  std::map<std::vector<stats::KeyValue>, TeacherGroup>& teachers,
                  FieldType& teacher_type) {
  engine::Recordset rs = db.OpenRecordset("select 学校,班级," + subject + " from 教师表");
  const std::optional<JoinKinds> kinds =
      KindsOf(classes.rows.key_types, rs.FieldTypeOf(0), rs.FieldTypeOf(1));
  teacher_type = rs.FieldTypeOf(2);
  if (!kinds || teacher_type != FieldType::kText) return false;
  std::map<std::vector<stats::KeyValue>, std::size_t> class_of_key;
  for (std::size_t g = 0; g < classes.rows.keys.size(); ++g) {
    const std::vector<Value>& k = classes.rows.keys[g];
    if (!kinds->FitsRow(k[0], k[1])) return false;
    if (!k[0].IsNull() && !k[1].IsNull()) class_of_key.emplace(KeysOf(k[0], k[1]), g);
  }
  for (; !rs.Eof(); rs.MoveNext()) {
    const Value school = rs.FieldValue(0), cls = rs.FieldValue(1), teacher = rs.FieldValue(2);
    if (!kinds->FitsRow(school, cls) || !kinds->Fits(teacher, false)) return false;
    const auto it = class_of_key.find(KeysOf(school, cls));
    if (it == class_of_key.end()) continue;
    const Value& class_school = classes.rows.keys[it->second][0];
    TeacherGroup& group = teachers[KeysOf(class_school, teacher)];
    if (group.keys.empty()) group.keys = {class_school, teacher};
    group.tally.Merge(classes.tallies[it->second]);
  }
  return true;
}

}  // namespace

std::optional<GroupFigures> ComputeGroupFigures(engine::Database& db,
                                                const std::vector<std::string>& keys,
                                                const SubjectColumns& columns, ScoreSource source) {
  Accumulator acc(columns);
  std::optional<GroupTallies> read = ReadTallies(db, keys, acc, source);
  if (!read) return std::nullopt;
  GroupFigures out = StartFigures(acc, columns, keys, read->rows.key_types, read->whole);
  for (std::size_t g = 0; g < read->tallies.size(); ++g)
    AddGroup(out, acc, std::move(read->rows.keys[g]), read->tallies[g]);
  if (!acc.Certain()) return std::nullopt;
  return out;
}

std::optional<GroupFigures> ComputeWholeFigures(engine::Database& db, const SubjectColumns& columns,
                                                ScoreSource source) {
  Accumulator acc(columns);
  const std::optional<GroupTallies> read = ReadTallies(db, {"学校", "班级"}, acc, source);
  if (!read) return std::nullopt;
  GroupFigures out = StartFigures(acc, columns, {}, {}, read->whole);
  if (!acc.Certain()) return std::nullopt;
  return out;
}

std::optional<GroupFigures> ComputeTeacherFigures(engine::Database& db,
                                                  const SubjectColumns& columns,
                                                  ScoreSource source) {
  Accumulator acc(columns);
  const std::optional<GroupTallies> classes = ReadTallies(db, {"学校", "班级"}, acc, source);
  if (!classes) return std::nullopt;
  std::map<std::vector<stats::KeyValue>, TeacherGroup> teachers;
  FieldType teacher_type = FieldType::kText;
  try {
    if (!JoinTeachers(db, columns.subject, *classes, teachers, teacher_type)) return std::nullopt;
  } catch (const engine::Error&) {
    return std::nullopt;
  }
  GroupFigures out = StartFigures(acc, columns, {"学校", "教师"},
                                  {classes->rows.key_types[0], teacher_type}, classes->whole);
  for (auto& [key, group] : teachers) AddGroup(out, acc, std::move(group.keys), group.tally);
  if (!acc.Certain()) return std::nullopt;
  return out;
}

}  // namespace reports
