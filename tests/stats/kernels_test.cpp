// The kernels' corners. The figures themselves on a whole exam (means,
// spreads, ranks with ties, T scores, letters) are checked by hand in the
// analysis reports' tests; here what those cannot reach.
#include "stats/kernels.h"

#include <gtest/gtest.h>

namespace {

using stats::kAbsent;
using Scores = std::vector<double>;

TEST(SummaryTest, SpreadIsUndefinedOnlyWhereItMustBe) {
  const stats::Summary none = stats::Summarize(Scores{kAbsent, kAbsent});
  EXPECT_EQ(none.count, 0);
  EXPECT_FALSE(none.SampleSd());
  EXPECT_FALSE(none.PopulationSd());
  // One score: a sample spread needs two, the population's is 0.
  const stats::Summary one = stats::Summarize(Scores{79.5});
  EXPECT_FALSE(one.SampleSd());
  EXPECT_EQ(*one.PopulationSd(), 0);
}

TEST(SummaryTest, EqualScoresHaveExactlyNoSpread) {
  // 0.1 + 0.1 + 0.1 is not 0.3, so a mean by division would sit beside the
  // scores and give them a tiny spread; T scores would then be ±10 away.
  const stats::Summary s = stats::Summarize(Scores{0.1, 0.1, 0.1});
  EXPECT_EQ(s.mean, 0.1);
  EXPECT_EQ(*s.SampleSd(), 0);
  EXPECT_EQ(stats::TScore(0.1, s), 50);
}

TEST(RanksTest, WithinGroupsEachGroupRanksFromOne) {
  // A class rank: the second class's 260 is its first although three
  // students of the first class are above it; ties still skip within a class.
  const Scores scores{300, 260, 280, 280, 250, 240, kAbsent};
  const std::vector<std::uint32_t> class_of{0, 1, 0, 0, 1, 0, 1};
  EXPECT_EQ(stats::CompetitionRanks(scores, class_of),
            (std::vector<std::int32_t>{1, 1, 2, 2, 2, 4, 0}));
}

TEST(QuantileTest, InterpolatesBetweenTheTwoNearestScores) {
  const Scores sorted{1, 2, 3, 4};
  EXPECT_EQ(stats::Quantile(sorted, 0), 1);
  EXPECT_EQ(stats::Quantile(sorted, 1), 4);
  EXPECT_DOUBLE_EQ(stats::Quantile(sorted, 0.5), 2.5);    // position 1.5
  EXPECT_DOUBLE_EQ(stats::Quantile(sorted, 0.25), 1.75);  // position 0.75
  EXPECT_EQ(stats::Quantile(Scores{7}, 0.5), 7);
}

TEST(CorrelationTest, OverThePairsPresentAndOnlyWhenBothVary) {
  // dx = -1 0 1, dy = -1 1 0: Σdxdy = 1, Σdx² = Σdy² = 2, r = 1/2. The
  // absent x takes its y (100) out of the mean too.
  EXPECT_DOUBLE_EQ(*stats::Correlation(Scores{1, kAbsent, 2, 3}, Scores{1, 100, 3, 2}), 0.5);
  EXPECT_DOUBLE_EQ(*stats::Correlation(Scores{1, 2, 3}, Scores{6, 4, 2}), -1);
  EXPECT_FALSE(stats::Correlation(Scores{1, 2}, Scores{3, 3})) << "y does not vary";
  EXPECT_FALSE(stats::Correlation(Scores{1, kAbsent}, Scores{1, 2})) << "one pair";
}

TEST(ExtremeGroupsTest, TwentySevenPercentRoundedHalfUpAtLeastOne) {
  struct Case {
    std::int64_t n, k;
    const char* why;
  } cases[] = {
      {0, 0, "nobody sat"},
      {1, 1, "0.27 rounds to 0, but a group has one student at least"},
      {10, 3, "2.7"},
      {50, 14, "13.5: a half rounds up (0.27 × 50 in binary is not quite 13.5)"},
      {150, 41, "40.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(stats::ExtremeGroupSize(c.n), c.k) << c.why;
  // Two 40s compete for the second place of the top group: either gives 45.
  EXPECT_EQ(stats::MeansOfExtremes(Scores{40, 10, kAbsent, 50, 40}, 2).top, 45);
}

TEST(BandsTest, EmptyBandsBetweenAreKeptNoneOutside) {
  // 99.5 floors into band 99; 98 and 96 are empty but listed.
  const std::vector<stats::Band> bands = stats::BandCounts(Scores{100, 99.5, 97, 95}, 1);
  std::vector<std::int64_t> counts;
  for (const stats::Band& b : bands) counts.push_back(b.count);
  EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 1, 0, 1, 0, 1}));
  EXPECT_EQ(bands.back().low, 95);
  // Without a score there is no band at all (not one empty band, nor two).
  EXPECT_TRUE(stats::BandCounts(Scores{kAbsent}, 1).empty());
  EXPECT_EQ(stats::BandCount(Scores{}, 1), 0);
}

TEST(GradeTest, ProportionsAreReadAsWritten) {
  const double cuts[3] = {15, 50, 85};
  struct Case {
    std::int64_t rank, n;
    const char* letter;
    const char* why;
  } cases[] = {
      {3, 20, "A", "15 % of 20 is 3: the cut point itself is inside"},
      {4, 20, "B", ""},
      {17, 20, "C", "85 % of 20"},
      {18, 20, "D", ""},
      {2, 10, "B", "15 % of 10 is 1.5"},
      {1, 1, "D", "rank 1 is beyond 85 % of one student"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(stats::GradeText(stats::GradeByRank(c.rank, c.n, cuts)), c.letter) << c.why;
}

}  // namespace

namespace {

TEST(BoxTest, EachGroupItsOwnFiveNumbers) {
  // Group 0: 4 1 3 (absent skipped) → 1 2 3 3.5 4; group 1 one score;
  // group 2 nobody present.
  const Scores scores{4, kAbsent, 7, 1, kAbsent, 3};
  const std::vector<std::uint32_t> group_of{0, 2, 1, 0, 2, 0};
  const std::vector<stats::BoxSummary> boxes = stats::BoxesOfGroups(scores, group_of, 3);
  ASSERT_EQ(boxes.size(), 3u);
  const auto five = [](const stats::BoxSummary& b) {
    return Scores{b.lowest, b.lower_quartile, b.median, b.upper_quartile, b.highest};
  };
  EXPECT_EQ(five(boxes[0]), (Scores{1, 2, 3, 3.5, 4}));
  EXPECT_EQ(boxes[1].count, 1);
  EXPECT_EQ(five(boxes[1]), Scores(5, 7));
  EXPECT_EQ(boxes[2].count, 0);
}

}  // namespace
