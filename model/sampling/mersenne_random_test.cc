#include "model/sampling/mersenne_random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace woodtick {
namespace {

struct KnownAnswers {
  uint32_t seed = 0;
  std::vector<uint32_t> words;
  std::vector<int32_t> next_ints;  // NextInt(0, 5) from a fresh generator
};

// The reference file: "seed S", lines of outputs, then "nextint_0_5 ...".
std::vector<KnownAnswers> ReadKnownAnswers() {
  std::ifstream in(WOODTICK_TESTDATA "/sampling/mt11213a.txt");
  std::vector<KnownAnswers> blocks;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string first;
    fields >> first;
    if (first == "seed") {
      blocks.emplace_back();
      fields >> blocks.back().seed;
    } else if (first == "nextint_0_5") {
      for (int32_t v; fields >> v;) blocks.back().next_ints.push_back(v);
    } else {
      blocks.back().words.push_back(static_cast<uint32_t>(std::stoul(first)));
      for (uint32_t v; fields >> v;) blocks.back().words.push_back(v);
    }
  }
  return blocks;
}

TEST(MersenneRandomTest, ReproducesKnownAnswers) {
  const std::vector<KnownAnswers> blocks = ReadKnownAnswers();
  ASSERT_EQ(blocks.size(), 4u);
  for (const KnownAnswers& block : blocks) {
    SCOPED_TRACE(block.seed);
    ASSERT_EQ(block.words.size(), 1000u);
    ASSERT_EQ(block.next_ints.size(), 200u);
    // 1000 outputs cross two regenerations of the 351-word state.
    MersenneRandom words(block.seed);
    MersenneRandom reals(block.seed);
    for (size_t i = 0; i < block.words.size(); ++i) {
      ASSERT_EQ(words.NextWord(), block.words[i]) << "output " << i;
      ASSERT_EQ(reals.NextReal(), block.words[i] / 4294967296.0) << "output " << i;
    }
    MersenneRandom ints(block.seed);
    for (size_t i = 0; i < block.next_ints.size(); ++i) {
      ASSERT_EQ(ints.NextInt(0, 5), block.next_ints[i]) << "draw " << i;
    }
  }
}

TEST(MersenneRandomTest, ReseedingRestartsTheSequence) {
  MersenneRandom random(5489);
  const uint32_t first = random.NextWord();
  for (int i = 0; i < 500; ++i) random.NextWord();
  random.Seed(5489);
  EXPECT_EQ(random.NextWord(), first);
}

TEST(MersenneRandomTest, NextIntStaysWithinItsBounds) {
  MersenneRandom random(1);
  EXPECT_EQ(random.NextInt(3, 2), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(random.NextInt(7, 7), 7);

  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) {
    const int32_t v = random.NextInt(-3, 3);
    ASSERT_GE(v, -3);
    ASSERT_LE(v, 3);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 7u);

  // The widest range must not overflow.
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  bool negative = false, positive = false;
  for (int i = 0; i < 200; ++i) {
    const int32_t v = random.NextInt(kMin, kMax);
    negative |= v < 0;
    positive |= v > 0;
  }
  EXPECT_TRUE(negative && positive);
}

}  // namespace
}  // namespace woodtick
