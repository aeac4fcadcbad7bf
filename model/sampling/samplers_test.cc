#include "model/sampling/samplers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace woodtick {
namespace {

// The flags of `patterns` whole patterns, taken one tally at a time.
std::vector<bool> Draw(BlockPattern& pattern, int patterns) {
  std::vector<bool> flags;
  for (int i = 0; i < patterns * pattern.size(); ++i) flags.push_back(pattern.NextFlag());
  return flags;
}

int CountSet(const std::vector<bool>& flags, int from, int length) {
  return static_cast<int>(std::count(flags.begin() + from, flags.begin() + from + length, true));
}

TEST(BlockPatternTest, DefaultPatternHasTenHitsOnePerGroup) {
  for (int n : {1, 2, 3, 7, 25}) {
    SCOPED_TRACE(n);
    MersenneRandom random(1000 + n);
    BlockPattern pattern(&random, n);
    EXPECT_EQ(pattern.size(), 10 * n);
    EXPECT_EQ(pattern.spacing(), 2 * n);
    EXPECT_EQ(pattern.selections(), 10);
    EXPECT_EQ(pattern.groups(), 5);
    const std::vector<bool> flags = Draw(pattern, 200);
    for (int start = 0; start < static_cast<int>(flags.size()); start += 10 * n) {
      ASSERT_EQ(CountSet(flags, start, 10 * n), 10) << "pattern at " << start;
      for (int group = start; group < start + 10 * n; group += 2 * n) {
        ASSERT_GE(CountSet(flags, group, 2 * n), 1) << "group at " << group;
      }
    }
  }
}

TEST(BlockPatternTest, OneInOneSelectsEveryPosition) {
  MersenneRandom random(7);
  BlockPattern pattern(&random, 0);  // raised to 1
  EXPECT_EQ(pattern.n(), 1);
  const std::vector<bool> flags = Draw(pattern, 5);
  EXPECT_EQ(CountSet(flags, 0, static_cast<int>(flags.size())), 50);
}

TEST(BlockPatternTest, GivenSizeAndSpacingAreRoundedToWholeMultiplesOfN) {
  MersenneRandom random(11);
  BlockPattern pattern(&random, 4, 25, 6);
  EXPECT_EQ(pattern.selections(), 7);  // 25 / 4 rounded up
  EXPECT_EQ(pattern.size(), 28);
  EXPECT_EQ(pattern.spacing(), 8);
  EXPECT_EQ(pattern.groups(), 3);
  const std::vector<bool> flags = Draw(pattern, 100);
  for (int start = 0; start < static_cast<int>(flags.size()); start += 28) {
    ASSERT_EQ(CountSet(flags, start, 28), 7);
    for (int group = 0; group < 3; ++group) ASSERT_GE(CountSet(flags, start + 8 * group, 8), 1);
  }
}

TEST(BlockPatternTest, PositionsAreSpreadOverThePattern) {
  // Over many patterns every position is selected sometimes and none always.
  MersenneRandom random(3);
  BlockPattern pattern(&random, 3);
  std::vector<int> selected(pattern.size());
  for (int round = 0; round < 2000; ++round) {
    for (int i = 0; i < pattern.size(); ++i) selected[i] += pattern.NextFlag();
  }
  for (int count : selected) {
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 2000);
  }
}

TEST(BlockPatternTest, HugeNIsHeldToTheLimit) {
  MersenneRandom random(5);
  BlockPattern pattern(&random, 2000000000);
  EXPECT_EQ(pattern.n(), kMaxTalliesPerHit);
  EXPECT_EQ(pattern.size(), 10 * kMaxTalliesPerHit);
  EXPECT_EQ(std::accumulate(pattern.flags().begin(), pattern.flags().end(), 0), 10);
}

TEST(ThresholdSamplerTest, ChanceGrowsWithTheHits) {
  // With h hits a tally is a HIT when the draw from 0..5 is at most h: (h + 1) / 6.
  MersenneRandom random(13);
  ThresholdSampler sampler(&random, 5);
  constexpr int kDraws = 60000;
  for (int hits = 0; hits < 5; ++hits) {
    int yes = 0;
    for (int i = 0; i < kDraws; ++i) yes += sampler.Decide(hits);
    EXPECT_NEAR(static_cast<double>(yes) / kDraws, (hits + 1) / 6.0, 0.01) << hits;
  }
}

}  // namespace
}  // namespace woodtick
