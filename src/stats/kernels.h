// The arithmetic the analysis reports, charts and result slips share, on
// plain columns of scores. A score column is a span of doubles in which an
// absent score (a student who did not sit the subject) is NaN: kAbsent.
// Every function skips absent scores unless it says otherwise; none keeps
// the span beyond the call.
//
// Means are sums divided by counts, so two groups with the same scores get
// the same mean to the last bit, and ties between them stay ties.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace stats {

inline constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();
inline bool IsAbsent(double score) {
  return std::isnan(score);
}

// Count, sum, mean, extremes and spread of the present scores of a column.
struct Summary {
  std::int64_t count = 0;
  double sum = 0;
  double mean = 0;  // 0 when count is 0
  double highest = 0;
  double lowest = 0;
  double squared_deviations = 0;  // Σ (x − mean)², exactly 0 when all are equal

  // Dividing by n − 1; nothing for fewer than two scores.
  std::optional<double> SampleSd() const;
  // Dividing by n; nothing for no score.
  std::optional<double> PopulationSd() const;
};

Summary Summarize(std::span<const double> scores);

// One Summary per group: group_of[i] (< group_count) is the group of
// scores[i]. Two passes over the column, whatever the number of groups.
std::vector<Summary> SummarizeGroups(std::span<const double> scores,
                                     std::span<const std::uint32_t> group_of, int group_count);

// Ranks, highest first, ties sharing the best rank and the next rank
// skipping (1, 2, 2, 4); 0 for an absent score. With `group_of` (one group
// per score, as SummarizeGroups takes it), each score is ranked within its
// group only: a student's rank in the class.
std::vector<std::int32_t> CompetitionRanks(std::span<const double> scores,
                                           std::span<const std::uint32_t> group_of = {});

// The value at proportion p (0 ≤ p ≤ 1) of ascending `sorted` scores, by
// linear interpolation between the nearest two: position (n − 1) × p.
// `sorted` must be non-empty and hold no absent score.
double Quantile(std::span<const double> sorted, double p);

// The five numbers of a box plot: extremes, median and the quartiles by
// Quantile (a spreadsheet's QUARTILE.INC). count is 0, and the rest 0, for a
// group without a present score.
struct BoxSummary {
  std::int64_t count = 0;
  double lowest = 0;
  double lower_quartile = 0;
  double median = 0;
  double upper_quartile = 0;
  double highest = 0;
};
// Of ascending `sorted` scores without an absent one.
BoxSummary BoxOf(std::span<const double> sorted);
// One per group of the present scores, group_of[i] < group_count giving the
// group of scores[i]. Holds one copy of the present scores while it works.
std::vector<BoxSummary> BoxesOfGroups(std::span<const double> scores,
                                      std::span<const std::uint32_t> group_of, int group_count);

// Pearson's correlation of x and y over the positions where both are
// present; nothing when fewer than two pairs remain or either side does not
// vary.
std::optional<double> Correlation(std::span<const double> x, std::span<const double> y);

// The size of the top and bottom groups of n scores: 27 % of n rounded half
// up, at least 1 (0 for n = 0).
std::int64_t ExtremeGroupSize(std::int64_t n);

// Means of the k highest and the k lowest present scores (1 ≤ k ≤ their
// number). Which of two equal scores is taken does not change a mean.
struct ExtremeMeans {
  double top = 0;
  double bottom = 0;
};
ExtremeMeans MeansOfExtremes(std::span<const double> scores, std::int64_t k);

// Counts of the present scores by band of width `step` (> 0): the band of x
// starts at floor(x / step) × step. From the highest band present down to
// the lowest, the empty ones between included.
struct Band {
  double low = 0;
  std::int64_t count = 0;
};
std::vector<Band> BandCounts(std::span<const double> scores, double step);
// The number of rows BandCounts would return, without building them.
std::int64_t BandCount(std::span<const double> scores, double step);

// The T score 50 + 10 × (x − mean) / sd for the population standard
// deviation of `s`; 50 when the scores do not vary.
double TScore(double x, const Summary& s);

// Letter grades of a score: A at or above the 优秀 line, B at or above
// 优良, C at or above 及格, D below; kAbsent for an absent score.
enum class Grade { kA, kB, kC, kD, kAbsent };
struct GradeLines {
  double excellent = 0;
  double good = 0;
  double pass = 0;
};
Grade GradeByLines(double score, const GradeLines& lines);
// The letter of a rank among n by cumulative percentages (ascending, each
// 0 .. 100): rank ≤ cuts[0] % of n is A, ≤ cuts[1] % is B, ≤ cuts[2] % is C,
// else D. Tied students share the best rank, so a tie across a cut point
// takes the better letter.
Grade GradeByRank(std::int64_t rank, std::int64_t n, const double (&cuts)[3]);
// "A", "B", "C", "D" or "缺".
const char* GradeText(Grade grade);

}  // namespace stats
