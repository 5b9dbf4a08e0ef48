#include "stats/kernels.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace stats {
namespace {

// First pass of a summary: count, sum and extremes.
void Add(Summary& s, double x) {
  if (s.count == 0) {
    s.highest = s.lowest = x;
  } else {
    s.highest = std::max(s.highest, x);
    s.lowest = std::min(s.lowest, x);
  }
  ++s.count;
  s.sum += x;
}

// Between the passes. Equal scores get their own value as the mean, not a
// sum divided back (three times 0.1 is not 0.3 / 3), so that they deviate
// from it by exactly nothing and a T score of such a group is exactly 50.
void SetMean(Summary& s) {
  if (s.count == 0) return;
  s.mean = s.highest == s.lowest ? s.lowest : s.sum / static_cast<double>(s.count);
}

void AddDeviation(Summary& s, double x) {
  if (s.highest == s.lowest) return;
  const double d = x - s.mean;
  s.squared_deviations += d * d;
}

std::vector<double> PresentScores(std::span<const double> scores) {
  std::vector<double> present;
  present.reserve(scores.size());
  for (double x : scores)
    if (!IsAbsent(x)) present.push_back(x);
  return present;
}

}  // namespace

std::optional<double> Summary::SampleSd() const {
  if (count < 2) return std::nullopt;
  return std::sqrt(squared_deviations / static_cast<double>(count - 1));
}

std::optional<double> Summary::PopulationSd() const {
  if (count < 1) return std::nullopt;
  return std::sqrt(squared_deviations / static_cast<double>(count));
}

Summary Summarize(std::span<const double> scores) {
  Summary s;
  for (double x : scores)
    if (!IsAbsent(x)) Add(s, x);
  SetMean(s);
  for (double x : scores)
    if (!IsAbsent(x)) AddDeviation(s, x);
  return s;
}

std::vector<Summary> SummarizeGroups(std::span<const double> scores,
                                     std::span<const std::uint32_t> group_of, int group_count) {
  std::vector<Summary> groups(static_cast<std::size_t>(std::max(group_count, 0)));
  for (std::size_t i = 0; i < scores.size(); ++i)
    if (!IsAbsent(scores[i])) Add(groups[group_of[i]], scores[i]);
  for (Summary& s : groups) SetMean(s);
  for (std::size_t i = 0; i < scores.size(); ++i)
    if (!IsAbsent(scores[i])) AddDeviation(groups[group_of[i]], scores[i]);
  return groups;
}

std::vector<std::int32_t> CompetitionRanks(std::span<const double> scores,
                                           std::span<const std::uint32_t> group_of) {
  struct Entry {
    std::uint32_t group;
    double score;
    std::uint32_t position;
  };
  // Entries sort without chasing the columns for each comparison, which
  // matters at a million students.
  std::vector<Entry> order;
  order.reserve(scores.size());
  for (std::size_t i = 0; i < scores.size(); ++i) {
    if (IsAbsent(scores[i])) continue;
    order.push_back({group_of.empty() ? 0 : group_of[i], scores[i], static_cast<std::uint32_t>(i)});
  }
  std::sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
    return a.group != b.group ? a.group < b.group : a.score > b.score;
  });
  std::vector<std::int32_t> ranks(scores.size(), 0);
  std::size_t group_start = 0;
  std::int32_t rank = 0;
  for (std::size_t p = 0; p < order.size(); ++p) {
    if (p == 0 || order[p].group != order[p - 1].group) {
      group_start = p;
      rank = 1;
    } else if (order[p].score != order[p - 1].score) {
      rank = static_cast<std::int32_t>(p - group_start + 1);
    }
    ranks[order[p].position] = rank;
  }
  return ranks;
}

double Quantile(std::span<const double> sorted, double p) {
  const double h = static_cast<double>(sorted.size() - 1) * std::clamp(p, 0.0, 1.0);
  const auto lo = static_cast<std::size_t>(std::floor(h));
  if (lo + 1 >= sorted.size()) return sorted[lo];
  return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[lo + 1] - sorted[lo]);
}

BoxSummary BoxOf(std::span<const double> sorted) {
  if (sorted.empty()) return {};
  return {static_cast<std::int64_t>(sorted.size()),
          sorted.front(),
          Quantile(sorted, 0.25),
          Quantile(sorted, 0.5),
          Quantile(sorted, 0.75),
          sorted.back()};
}

std::vector<BoxSummary> BoxesOfGroups(std::span<const double> scores,
                                      std::span<const std::uint32_t> group_of, int group_count) {
  // The present scores laid out group after group (a counting sort by
  // group), then each group's run sorted on its own.
  const auto groups = static_cast<std::size_t>(std::max(group_count, 0));
  std::vector<std::size_t> start(groups + 1, 0);
  for (std::size_t i = 0; i < scores.size(); ++i)
    if (!IsAbsent(scores[i])) ++start[group_of[i] + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<double> laid_out(start.back());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < scores.size(); ++i)
    if (!IsAbsent(scores[i])) laid_out[next[group_of[i]]++] = scores[i];
  std::vector<BoxSummary> boxes(groups);
  for (std::size_t g = 0; g < groups; ++g) {
    const auto first = laid_out.begin() + static_cast<std::ptrdiff_t>(start[g]);
    const auto last = laid_out.begin() + static_cast<std::ptrdiff_t>(start[g + 1]);
    std::sort(first, last);
    boxes[g] = BoxOf(std::span<const double>(laid_out.data() + start[g], last - first));
  }
  return boxes;
}

std::optional<double> Correlation(std::span<const double> x, std::span<const double> y) {
  Summary sx, sy;
  const std::size_t n = std::min(x.size(), y.size());
  auto paired = [&](std::size_t i) { return !IsAbsent(x[i]) && !IsAbsent(y[i]); };
  for (std::size_t i = 0; i < n; ++i)
    if (paired(i)) Add(sx, x[i]), Add(sy, y[i]);
  if (sx.count < 2 || sx.highest == sx.lowest || sy.highest == sy.lowest) return std::nullopt;
  SetMean(sx);
  SetMean(sy);
  double sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!paired(i)) continue;
    const double dx = x[i] - sx.mean, dy = y[i] - sy.mean;
    sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
  }
  return std::clamp(sxy / std::sqrt(sxx * syy), -1.0, 1.0);
}

std::int64_t ExtremeGroupSize(std::int64_t n) {
  if (n <= 0) return 0;
  // In whole numbers: 0.27 × n in binary can fall just short of a half.
  return std::max<std::int64_t>(1, (27 * n + 50) / 100);
}

ExtremeMeans MeansOfExtremes(std::span<const double> scores, std::int64_t k) {
  std::vector<double> v = PresentScores(scores);
  if (v.empty()) return {};
  k = std::clamp<std::int64_t>(k, 1, static_cast<std::int64_t>(v.size()));
  const auto kth = v.begin() + (k - 1);
  const auto mean_of_first_k = [&] {
    return std::accumulate(v.begin(), kth + 1, 0.0) / static_cast<double>(k);
  };
  ExtremeMeans m;
  std::nth_element(v.begin(), kth, v.end(), std::greater<>());
  m.top = mean_of_first_k();
  std::nth_element(v.begin(), kth, v.end());
  m.bottom = mean_of_first_k();
  return m;
}

namespace {

std::int64_t BandIndex(double x, double step) {
  return static_cast<std::int64_t>(std::floor(x / step));
}

// The band indexes of the highest and lowest present score; without any,
// a range of no bands.
std::pair<std::int64_t, std::int64_t> BandRange(std::span<const double> scores, double step) {
  const Summary s = Summarize(scores);
  if (s.count == 0) return {-1, 0};
  return {BandIndex(s.highest, step), BandIndex(s.lowest, step)};
}

}  // namespace

std::int64_t BandCount(std::span<const double> scores, double step) {
  const auto [top, bottom] = BandRange(scores, step);
  return top - bottom + 1;
}

std::vector<Band> BandCounts(std::span<const double> scores, double step) {
  const auto [top, bottom] = BandRange(scores, step);
  std::vector<Band> bands(static_cast<std::size_t>(top - bottom + 1));
  for (std::size_t i = 0; i < bands.size(); ++i)
    bands[i].low = static_cast<double>(top - static_cast<std::int64_t>(i)) * step;
  for (double x : scores)
    if (!IsAbsent(x)) ++bands[static_cast<std::size_t>(top - BandIndex(x, step))].count;
  return bands;
}

double TScore(double x, const Summary& s) {
  const std::optional<double> sd = s.PopulationSd();
  if (!sd || *sd == 0) return 50;
  return 50 + 10 * (x - s.mean) / *sd;
}

Grade GradeByLines(double score, const GradeLines& lines) {
  if (IsAbsent(score)) return Grade::kAbsent;
  if (score >= lines.excellent) return Grade::kA;
  if (score >= lines.good) return Grade::kB;
  if (score >= lines.pass) return Grade::kC;
  return Grade::kD;
}

Grade GradeByRank(std::int64_t rank, std::int64_t n, const double (&cuts)[3]) {
  // rank ≤ cut % of n, multiplied out so that whole cut points compare exactly.
  const auto within = [&](double cut) {
    return static_cast<double>(rank) * 100 <= cut * static_cast<double>(n);
  };
  if (within(cuts[0])) return Grade::kA;
  if (within(cuts[1])) return Grade::kB;
  if (within(cuts[2])) return Grade::kC;
  return Grade::kD;
}

const char* GradeText(Grade grade) {
  switch (grade) {
    case Grade::kA:
      return "A";
    case Grade::kB:
      return "B";
    case Grade::kC:
      return "C";
    case Grade::kD:
      return "D";
    case Grade::kAbsent:
      break;
  }
  return "缺";
}

}  // namespace stats
