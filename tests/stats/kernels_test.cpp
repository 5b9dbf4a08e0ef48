#include "stats/kernels.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using stats::kAbsent;
using Scores = std::vector<double>;

TEST(SummaryTest, SkipsAbsentScoresAndDividesBothWays) {
  // 90, 80, 70: mean 80, Σd² = 100 + 0 + 100 = 200.
  const stats::Summary s = stats::Summarize(Scores{90, 80, kAbsent, 70});
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.sum, 240);
  EXPECT_EQ(s.mean, 80);
  EXPECT_EQ(s.highest, 90);
  EXPECT_EQ(s.lowest, 70);
  EXPECT_DOUBLE_EQ(*s.SampleSd(), 10);                        // √(200 / 2)
  EXPECT_DOUBLE_EQ(*s.PopulationSd(), std::sqrt(200.0 / 3));  // 8.16…
}

TEST(SummaryTest, FewScoresLeaveTheSpreadUndefinedWhereItIs) {
  const stats::Summary none = stats::Summarize(Scores{kAbsent, kAbsent});
  EXPECT_EQ(none.count, 0);
  EXPECT_FALSE(none.SampleSd());
  EXPECT_FALSE(none.PopulationSd());
  // One score: a sample spread needs two, the population's is 0.
  const stats::Summary one = stats::Summarize(Scores{79.5});
  EXPECT_FALSE(one.SampleSd());
  EXPECT_EQ(*one.PopulationSd(), 0);
  EXPECT_EQ(one.mean, 79.5);
}

TEST(SummaryTest, EqualScoresHaveExactlyNoSpread) {
  // 0.1 + 0.1 + 0.1 is not 0.3, so a mean by division would sit beside the
  // scores and give them a tiny spread; T scores would then be ±10 away.
  const stats::Summary s = stats::Summarize(Scores{0.1, 0.1, 0.1});
  EXPECT_EQ(s.mean, 0.1);
  EXPECT_EQ(*s.SampleSd(), 0);
  EXPECT_EQ(stats::TScore(0.1, s), 50);
}

TEST(SummaryTest, GroupsAreSummarisedInOnePassEach) {
  const Scores scores{90, 60, kAbsent, 80, 70};
  const std::vector<std::uint32_t> group_of{0, 2, 1, 0, 2};
  const std::vector<stats::Summary> g = stats::SummarizeGroups(scores, group_of, 3);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].count, 2);
  EXPECT_EQ(g[0].mean, 85);
  EXPECT_DOUBLE_EQ(*g[0].SampleSd(), std::sqrt(50.0));  // (25 + 25) / 1
  EXPECT_EQ(g[1].count, 0);                             // its only student was absent
  EXPECT_EQ(g[2].mean, 65);
}

TEST(RanksTest, TiesShareTheBestRankAndTheNextSkips) {
  // The import's own example: 300, 280, 280, 250, 250, 240 → 1, 2, 2, 4, 4, 6,
  // here in shuffled order and with an absent student, who gets no rank.
  const Scores scores{250, 300, kAbsent, 240, 280, 250, 280};
  EXPECT_EQ(stats::CompetitionRanks(scores), (std::vector<std::int32_t>{4, 1, 0, 6, 2, 4, 2}));
  EXPECT_TRUE(stats::CompetitionRanks(Scores{}).empty());
}

TEST(QuantileTest, InterpolatesBetweenTheTwoNearestScores) {
  const Scores sorted{1, 2, 3, 4};
  struct Case {
    double p, expected;
    const char* why;
  } cases[] = {
      {0, 1, "the lowest"},
      {1, 4, "the highest"},
      {0.5, 2.5, "position 1.5: halfway between 2 and 3"},
      {0.25, 1.75, "position 0.75"},
      {0.75, 3.25, "position 2.25"},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(stats::Quantile(sorted, c.p), c.expected) << c.why;
  EXPECT_EQ(stats::Quantile(Scores{7}, 0.5), 7);
}

TEST(CorrelationTest, PearsonOverThePairsPresent) {
  EXPECT_DOUBLE_EQ(*stats::Correlation(Scores{1, 2, 3}, Scores{2, 4, 6}), 1);
  EXPECT_DOUBLE_EQ(*stats::Correlation(Scores{1, 2, 3}, Scores{6, 4, 2}), -1);
  // dx = -1 0 1, dy = -1 1 0: Σdxdy = 1, Σdx² = Σdy² = 2, r = 1/2. The
  // absent x takes its y (100) out of the mean too.
  EXPECT_DOUBLE_EQ(*stats::Correlation(Scores{1, kAbsent, 2, 3}, Scores{1, 100, 3, 2}), 0.5);
  EXPECT_FALSE(stats::Correlation(Scores{5, 5, 5}, Scores{1, 2, 3})) << "x does not vary";
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
      {2, 1, "0.54"},
      {10, 3, "2.7"},
      {50, 14, "13.5: a half rounds up"},
      {150, 41, "40.5: a half rounds up"},
      {100, 27, "exactly 27"},
  };
  for (const Case& c : cases) EXPECT_EQ(stats::ExtremeGroupSize(c.n), c.k) << c.why;
}

TEST(ExtremeGroupsTest, MeansOfTheHighestAndLowestScores) {
  const stats::ExtremeMeans m = stats::MeansOfExtremes(Scores{30, 10, kAbsent, 50, 20, 40}, 2);
  EXPECT_EQ(m.top, 45);     // 50, 40
  EXPECT_EQ(m.bottom, 15);  // 10, 20
  // Two 40s compete for the second place of the top group: either gives 45.
  EXPECT_EQ(stats::MeansOfExtremes(Scores{40, 10, 50, 40}, 2).top, 45);
  // One score is both groups.
  const stats::ExtremeMeans one = stats::MeansOfExtremes(Scores{60}, 1);
  EXPECT_EQ(one.top - one.bottom, 0);
}

TEST(BandsTest, FromTheHighestBandDownWithEmptyBandsKept) {
  const Scores scores{100, 99.5, kAbsent, 97, 95};
  std::vector<stats::Band> bands = stats::BandCounts(scores, 1);
  // 99.5 belongs to band 99 (floor); 98 and 96 are empty but listed.
  const std::vector<std::pair<double, std::int64_t>> expected = {{100, 1}, {99, 1}, {98, 0},
                                                                 {97, 1},  {96, 0}, {95, 1}};
  ASSERT_EQ(bands.size(), expected.size());
  for (std::size_t i = 0; i < bands.size(); ++i) {
    EXPECT_EQ(bands[i].low, expected[i].first);
    EXPECT_EQ(bands[i].count, expected[i].second);
  }
  EXPECT_EQ(stats::BandCount(scores, 1), 6);
  // Width 5: 100 alone in [100, 105), the other three in [95, 100).
  bands = stats::BandCounts(scores, 5);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].low, 100);
  EXPECT_EQ(bands[1].count, 3);
  EXPECT_TRUE(stats::BandCounts(Scores{kAbsent}, 1).empty());
  EXPECT_EQ(stats::BandCount(Scores{}, 1), 0);
}

TEST(TScoreTest, TenPointsPerPopulationStandardDeviation) {
  // 70 and 90: mean 80, population sd 10 (the sample sd would be 14.1).
  const stats::Summary s = stats::Summarize(Scores{70, 90});
  EXPECT_DOUBLE_EQ(stats::TScore(90, s), 60);
  EXPECT_DOUBLE_EQ(stats::TScore(70, s), 40);
  EXPECT_DOUBLE_EQ(stats::TScore(85, s), 55);
  EXPECT_EQ(stats::TScore(80, stats::Summarize(Scores{80, 80})), 50) << "no spread";
}

TEST(GradeTest, ALineReachedIsThatLinesLetter) {
  const stats::GradeLines lines{127.5, 112.5, 90};
  struct Case {
    double score;
    const char* letter;
  } cases[] = {{150, "A"}, {127.5, "A"}, {127, "B"}, {112.5, "B"},
               {90, "C"},  {89.5, "D"},  {0, "D"},   {kAbsent, "缺"}};
  for (const Case& c : cases)
    EXPECT_STREQ(stats::GradeText(stats::GradeByLines(c.score, lines)), c.letter) << c.score;
}

TEST(GradeTest, ProportionsCountRanksAgainstTheCumulativeCutPoints) {
  const double cuts[3] = {15, 50, 85};
  struct Case {
    std::int64_t rank, n;
    const char* letter;
    const char* why;
  } cases[] = {
      {3, 20, "A", "15 % of 20 is 3: the cut point itself is inside"},
      {4, 20, "B", ""},
      {10, 20, "B", "50 % of 20"},
      {11, 20, "C", ""},
      {17, 20, "C", "85 % of 20"},
      {18, 20, "D", ""},
      {1, 10, "A", "15 % of 10 is 1.5"},
      {2, 10, "B", "rank 2 is past 1.5"},
      {1, 1, "D", "read as written: rank 1 is beyond 85 % of one student"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(stats::GradeText(stats::GradeByRank(c.rank, c.n, cuts)), c.letter) << c.why;
}

TEST(GradeTest, ATieAcrossACutPointTakesTheBetterLetter) {
  // 20 students, the 3rd and 4th tied: the cut for A falls between them, and
  // both share rank 3, so both are A; the 5th is B.
  Scores totals;
  for (int i = 0; i < 20; ++i) totals.push_back(100 - i);
  totals[3] = totals[2];
  const std::vector<std::int32_t> ranks = stats::CompetitionRanks(totals);
  const double cuts[3] = {15, 50, 85};
  EXPECT_STREQ(stats::GradeText(stats::GradeByRank(ranks[2], 20, cuts)), "A");
  EXPECT_STREQ(stats::GradeText(stats::GradeByRank(ranks[3], 20, cuts)), "A");
  EXPECT_STREQ(stats::GradeText(stats::GradeByRank(ranks[4], 20, cuts)), "B");
}

}  // namespace
