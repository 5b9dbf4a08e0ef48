#include "reports/group_figures.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
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

}  // namespace

std::optional<GroupFigures> ComputeGroupFigures(engine::Database& db,
                                                const std::vector<std::string>& keys,
                                                const SubjectColumns& columns, ScoreSource source) {
  Accumulator acc(columns);
  if (!acc.Certain()) return std::nullopt;
  stats::GroupedColumns read;
  try {
    read = source == ScoreSource::kStoredCopy
               ? stats::ReadStoredColumns(db, keys, columns.subject)
               : stats::ReadGroupedColumns(db, {keys}, {columns.subject});
  } catch (const engine::Error&) {
    return std::nullopt;
  }
  std::vector<Tally> tallies;
  Tally whole;
  if (!Tallies(read, acc, tallies, whole)) return std::nullopt;
  GroupFigures out;
  stats::GroupedRows& rows = read.groupings.front();
  out.groups.names = keys;
  out.groups.types = rows.key_types;
  AddFigureFields(out.groups, columns);
  for (std::size_t g = 0; g < tallies.size(); ++g) {
    std::vector<Value> record = std::move(rows.keys[g]);
    for (Value& v : acc.Figures(tallies[g])) record.push_back(std::move(v));
    out.groups.records.push_back(std::move(record));
  }
  const std::vector<Value> total = acc.Figures(whole);
  for (std::size_t j = 0; j < total.size(); ++j)
    out.total.push_back(total[j].AsText(out.groups.types[keys.size() + j]));
  if (!acc.Certain()) return std::nullopt;
  return out;
}

}  // namespace reports
