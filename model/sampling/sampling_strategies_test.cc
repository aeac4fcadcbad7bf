#include "model/sampling/sampling_strategies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace woodtick {
namespace {

constexpr int64_t kSeed = 1733616000;

class SamplingStrategiesTest : public ::testing::Test {
 protected:
  FixedClock clock_{{}, kSeed};
  SamplingStrategies strategies_{3, clock_};

  // Tallies one population `tallies` times in a fresh unit; the HIT flags.
  std::vector<bool> Tally(int row, int tallies) {
    std::vector<bool> hits;
    int64_t hit_count = 0;
    for (int count = 1; count <= tallies; ++count) {
      hits.push_back(strategies_.Decide(row, count, hit_count));
      hit_count += hits.back();
    }
    return hits;
  }

  static int Count(const std::vector<bool>& flags, size_t from, size_t length) {
    int n = 0;
    for (size_t i = from; i < from + length && i < flags.size(); ++i) n += flags[i];
    return n;
  }
};

TEST_F(SamplingStrategiesTest, StartsBlankAndSeededFromTheClock) {
  EXPECT_EQ(strategies_.size(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(strategies_.entry(row).method, ' ');
    EXPECT_EQ(strategies_.entry(row).probability, 0);
    EXPECT_FALSE(strategies_.Decide(row, 1, 0));
  }
  // Blank entries took no draws: the generator is still at the clock's seed.
  MersenneRandom expected(static_cast<uint32_t>(kSeed));
  EXPECT_EQ(strategies_.random().NextWord(), expected.NextWord());
}

TEST_F(SamplingStrategiesTest, BuildsInTheSameSecondRepeatTheirDecisions) {
  const std::vector<PopulationRow> rows = {{"R", 3}, {"B", 2}, {"P", 4}};
  auto first = MakeStrategies(rows, clock_);
  auto second = MakeStrategies(rows, clock_);
  FixedClock later({}, kSeed + 1);
  auto third = MakeStrategies(rows, later);
  int same = 0, differ = 0;
  for (int i = 1; i <= 300; ++i) {
    const bool a = first->Decide(i % 3, i, i / 4);
    EXPECT_EQ(second->Decide(i % 3, i, i / 4), a);
    (third->Decide(i % 3, i, i / 4) == a ? same : differ)++;
  }
  EXPECT_GT(differ, 0);
}

TEST_F(SamplingStrategiesTest, MakeStrategiesTakesTheFirstMethodCharacter) {
  auto strategies = MakeStrategies({{"Sys", 3}, {"", 5}, {"C", 0}, {" R", 2}}, clock_);
  ASSERT_EQ(strategies->size(), 4);
  EXPECT_EQ(strategies->entry(0).method, 'S');
  EXPECT_EQ(strategies->entry(1).method, '\0');
  EXPECT_EQ(strategies->entry(2).method, 'C');
  EXPECT_EQ(strategies->entry(3).method, ' ');
  EXPECT_FLOAT_EQ(strategies->entry(0).probability, 1.0f / 3);
  EXPECT_TRUE(strategies->Decide(2, 1, 0));
  EXPECT_FALSE(strategies->Decide(3, 1, 0));  // a leading blank counts only
}

TEST_F(SamplingStrategiesTest, FrequencyAboveOneMeansOneInN) {
  strategies_.SetPopulation(0, 'B', 5);
  strategies_.SetPopulation(1, 'B', 0.2f);
  EXPECT_EQ(strategies_.entry(0).probability, strategies_.entry(1).probability);
  EXPECT_FLOAT_EQ(strategies_.entry(0).probability, 0.2f);
  EXPECT_EQ(strategies_.entry(0).block_pattern->n(), 5);
  EXPECT_EQ(strategies_.entry(1).block_pattern->n(), 5);
  strategies_.SetPopulation(2, 'P', 0.3f);  // 1 / 0.3 = 3.33 rounds to 3
  EXPECT_EQ(strategies_.entry(2).threshold_sampler->n(), 3);
}

TEST_F(SamplingStrategiesTest, SystematicHitsTheFirstOfEveryN) {
  std::vector<int> frequencies;
  for (int n = 1; n <= 200; ++n) frequencies.push_back(n);
  frequencies.insert(frequencies.end(), {997, 4999, 65537});
  for (int n : frequencies) {
    strategies_.SetPopulation(0, 'S', static_cast<float>(n));
    const std::vector<bool> hits = Tally(0, 3 * n + 1);
    for (int count = 1; count <= 3 * n + 1; ++count) {
      ASSERT_EQ(hits[count - 1], (count - 1) % n == 0) << "one in " << n << ", count " << count;
    }
  }
  // "S" takes no draws.
  MersenneRandom expected(static_cast<uint32_t>(kSeed));
  EXPECT_EQ(strategies_.random().NextWord(), expected.NextWord());
}

TEST_F(SamplingStrategiesTest, BlocksOfTwoHitHalfAndOneInEveryFour) {
  strategies_.SetPopulation(1, 'B', 2);
  const std::vector<bool> hits = Tally(1, 20 * 500);
  for (size_t start = 0; start < hits.size(); start += 20) {
    ASSERT_EQ(Count(hits, start, 20), 10) << "pattern at " << start;
    for (size_t block = start; block < start + 20; block += 4) {
      ASSERT_GE(Count(hits, block, 4), 1) << "block at " << block;
    }
  }
}

TEST_F(SamplingStrategiesTest, ThresholdIsCertainFromNHits) {
  strategies_.SetPopulation(0, 'P', 5);
  for (int i = 0; i < 500; ++i) ASSERT_TRUE(strategies_.Decide(0, 6 + i, 5));
  constexpr int kDraws = 60000;
  int yes = 0;
  for (int i = 0; i < kDraws; ++i) yes += strategies_.Decide(0, 1, 0);
  EXPECT_NEAR(static_cast<double>(yes) / kDraws, 1.0 / 6, 0.01);
}

TEST_F(SamplingStrategiesTest, RandomHitsWithProbabilityP) {
  strategies_.SetPopulation(0, 'R', 1);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(strategies_.Decide(0, i + 1, i));
  strategies_.SetPopulation(1, 'R', 4);
  constexpr int kDraws = 100000;
  int yes = 0;
  for (int i = 0; i < kDraws; ++i) yes += strategies_.Decide(1, i + 1, yes);
  EXPECT_NEAR(static_cast<double>(yes) / kDraws, 0.25, 0.01);
}

TEST_F(SamplingStrategiesTest, AdaptiveProbabilityPullsTowardsP) {
  strategies_.SetPopulation(0, 'A', 4);
  float q = -1;
  strategies_.Decide(0, 10, 1, &q);  // share 0.1: too few measured
  EXPECT_NEAR(q, 0.349, 0.0005);
  strategies_.Decide(0, 10, 5, &q);  // share 0.5: deviation 1 gives q 0, raised
  EXPECT_NEAR(q, 0.05, 1e-6);
  strategies_.Decide(0, 10, 9, &q);  // far too many measured
  EXPECT_NEAR(q, 0.05, 1e-6);
  strategies_.Decide(0, 100, 0, &q);  // none measured: deviation 1, q = 2p
  EXPECT_NEAR(q, 0.5, 1e-6);
  strategies_.Decide(0, 8, 2, &q);  // exactly on p: q is p
  EXPECT_NEAR(q, 0.25, 1e-6);

  strategies_.SetPopulation(1, 'A', 0.02f);  // p below 0.05 is not raised
  strategies_.Decide(1, 1000, 500, &q);
  EXPECT_LT(q, 0.02);
}

TEST_F(SamplingStrategiesTest, AdaptiveNeverHitsInTheFirstHalfOfM) {
  strategies_.SetPopulation(0, 'A', 10);  // m = 10: counts up to 5
  for (int i = 0; i < 2000; ++i) {
    for (int count = 0; count <= 5; ++count) {
      float q = -1;
      ASSERT_FALSE(strategies_.Decide(0, count, 0, &q));
      ASSERT_EQ(q, 0);
    }
  }
}

TEST_F(SamplingStrategiesTest, AdaptiveKeepsTheShareNearP) {
  strategies_.SetPopulation(0, 'A', 5);
  const std::vector<bool> hits = Tally(0, 20000);
  EXPECT_NEAR(Count(hits, 0, hits.size()) / 20000.0, 0.2, 0.02);
}

TEST_F(SamplingStrategiesTest, UnknownMethodsNeverHitButTakeOneDraw) {
  MersenneRandom expected(static_cast<uint32_t>(kSeed));
  for (char method : {'\0', 'X', 'c', 'r'}) {
    strategies_.SetPopulation(2, method, 1);
    for (int i = 0; i < 50; ++i) {
      ASSERT_FALSE(strategies_.Decide(2, i + 1, 0)) << method;
      expected.NextWord();
    }
  }
  EXPECT_EQ(strategies_.random().NextWord(), expected.NextWord());
}

TEST_F(SamplingStrategiesTest, FrequencyZeroOrBelowNeverHits) {
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  const float kInfinity = std::numeric_limits<float>::infinity();
  for (float frequency : {0.0f, -0.0f, -3.0f, kNaN, kInfinity}) {
    for (char method : {'B', 'P', 'S', 'R', 'A'}) {
      strategies_.SetPopulation(0, method, frequency);
      for (int count = 1; count <= 200; ++count) {
        ASSERT_FALSE(strategies_.Decide(0, count, 0)) << method << " " << frequency;
      }
    }
    // "C" ignores the frequency: files upgraded from blank methods keep measuring.
    strategies_.SetPopulation(1, 'C', frequency);
    EXPECT_TRUE(strategies_.Decide(1, 1, 0));
  }
}

TEST_F(SamplingStrategiesTest, TinyProbabilitiesStayBounded) {
  strategies_.SetPopulation(0, 'B', 1e30f);
  EXPECT_EQ(strategies_.entry(0).block_pattern->n(), kMaxTalliesPerHit);
  strategies_.SetPopulation(1, 'S', 1e30f);
  EXPECT_TRUE(strategies_.Decide(1, 1, 0));
  EXPECT_FALSE(strategies_.Decide(1, 2, 1));
  strategies_.SetPopulation(2, 'A', 1e30f);
  EXPECT_FALSE(strategies_.Decide(2, 1000000, 0));
}

TEST_F(SamplingStrategiesTest, RowsWithoutAnEntryNeverHit) {
  strategies_.SetPopulation(3, 'C', 1);  // ignored
  strategies_.SetPopulation(-1, 'C', 1);
  EXPECT_FALSE(strategies_.Decide(3, 1, 0));
  EXPECT_FALSE(strategies_.Decide(-1, 1, 0));
  SamplingStrategies none(-2, clock_);
  EXPECT_EQ(none.size(), 0);
}

}  // namespace
}  // namespace woodtick
