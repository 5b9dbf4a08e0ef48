#include "reports/group_figures.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <utility>

#include "engine/functions.h"
#include "stats/exam_snapshot.h"

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

bool IsMinusZero(const Value& v) {
  return v.IsReal() && v.AsDouble() == 0 && std::signbit(v.AsDouble());
}

stats::KeyValue KeyOf(const Value& v) {
  stats::KeyValue key;
  if (v.IsNull()) return key;
  key.kind = v.IsNumber() ? stats::KeyValue::Kind::kNumber : stats::KeyValue::Kind::kText;
  if (v.IsNumber()) key.number = v.AsDouble();
  if (v.IsText()) key.text = v.AsText();
  return key;
}

struct Group {
  std::vector<Value> key;  // as the first row of the group holds it
  Tally tally;
};

// Reads the keys and scores into one tally per group and one over all rows;
// false when the pass must decline.
bool Tallies(engine::Database& db, const std::vector<std::string>& keys, Accumulator& acc,
             std::map<std::vector<stats::KeyValue>, Group>& groups, Tally& whole,
             std::vector<FieldType>& key_types) {
  std::string sql = "select ";
  for (const std::string& k : keys) sql += k + ",";
  engine::Recordset rs = db.OpenRecordset(sql + "[" + acc.Subject() + "] from 成绩表");
  const int k = static_cast<int>(keys.size());
  if (rs.FieldTypeOf(k) != FieldType::kDouble) return false;
  for (int i = 0; i < k; ++i) key_types.push_back(rs.FieldTypeOf(i));
  std::vector<Value> key(keys.size()), last;
  Tally* tally = nullptr;
  for (; !rs.Eof() && acc.Certain(); rs.MoveNext()) {
    if (whole.n >= kMaxRows) return false;
    for (int i = 0; i < k; ++i) key[static_cast<std::size_t>(i)] = rs.FieldValue(i);
    if (!tally || key != last) {
      std::vector<stats::KeyValue> sort_key;
      for (const Value& v : key) {
        if (IsMinusZero(v)) return false;  // prints apart from the 0 of its group
        sort_key.push_back(KeyOf(v));
      }
      Group& g = groups.try_emplace(std::move(sort_key), Group{key, {}}).first->second;
      // Equal keys that print apart (3 beside 3.0) could show either.
      if (g.key != key) return false;
      tally = &g.tally;
      last = key;
    }
    const Value v = rs.FieldValue(k);
    if (v.IsNull()) continue;
    if (!v.IsReal()) return false;
    acc.Add(*tally, v.AsDouble());
    acc.Add(whole, v.AsDouble());
  }
  return acc.Certain();
}

}  // namespace

std::optional<GroupFigures> ComputeGroupFigures(engine::Database& db,
                                                const std::vector<std::string>& keys,
                                                const SubjectColumns& columns) {
  Accumulator acc(columns);
  std::map<std::vector<stats::KeyValue>, Group> groups;
  Tally whole;
  GroupFigures out;
  try {
    if (!acc.Certain() || !Tallies(db, keys, acc, groups, whole, out.groups.types))
      return std::nullopt;
  } catch (const engine::Error&) {
    return std::nullopt;
  }
  out.groups.names = keys;
  AddFigureFields(out.groups, columns);
  for (auto& [sort_key, group] : groups) {
    std::vector<Value> record = std::move(group.key);
    for (Value& v : acc.Figures(group.tally)) record.push_back(std::move(v));
    out.groups.records.push_back(std::move(record));
  }
  const std::vector<Value> total = acc.Figures(whole);
  for (std::size_t j = 0; j < total.size(); ++j)
    out.total.push_back(total[j].AsText(out.groups.types[keys.size() + j]));
  if (!acc.Certain()) return std::nullopt;
  return out;
}

}  // namespace reports
