#include "widgets/tone_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace woodtick {
namespace {

constexpr Tone kCount{1000, 250};
const std::vector<Tone> kHit{{1000, 250}, {800, 200}, {1000, 300}};

// One step: at a time in ms, either a key's tones are asked for, or the
// player takes the next tone.
struct Step {
  int at_ms;
  std::vector<Tone> asked;  // empty: the player takes a tone
};

struct Case {
  std::string name;
  std::vector<Step> steps;
  std::vector<Tone> played;  // what the player takes, steps and then the rest
};

class ToneQueueTest : public testing::TestWithParam<Case> {};

TEST_P(ToneQueueTest, PlaysSignalsWholeAndDropsTheOldestWhenBehind) {
  ToneQueue queue;
  const ToneQueue::Clock::time_point zero{};
  std::vector<Tone> played;
  for (const Step& step : GetParam().steps) {
    const auto now = zero + std::chrono::milliseconds(step.at_ms);
    if (step.asked.empty()) {
      if (auto tone = queue.Pop()) played.push_back(*tone);
    }
    // A key asks for all its tones at once.
    for (const Tone& tone : step.asked) queue.Push(tone, now);
  }
  while (auto tone = queue.Pop()) played.push_back(*tone);
  EXPECT_EQ(played, GetParam().played);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ToneQueueTest,
    testing::Values(Case{"KeptUpWithEverythingPlays",
                         {{0, {kCount}}, {0, {}}, {300, kHit}, {300, {}}, {1100, {kCount}}},
                         {kCount, kHit[0], kHit[1], kHit[2], kCount}},
                    // Four counts 40 ms apart while a HIT sounds: the HIT finishes and
                    // only the newest count is still to come.
                    Case{"BehindDropsOldestCountsButNotTheStartedHit",
                         {{0, kHit},
                          {0, {}},
                          {40, {{1000, 251}}},
                          {80, {{1000, 252}}},
                          {120, {{1000, 253}}},
                          {160, {{1000, 254}}}},
                         {kHit[0], kHit[1], kHit[2], {1000, 254}}},
                    // A HIT asked for while counts wait is never cut to a count.
                    Case{"NewestHitStaysWhole",
                         {{0, {kCount}}, {0, {}}, {40, {kCount}}, {80, {kCount}}, {120, kHit}},
                         {kCount, kHit[0], kHit[1], kHit[2]}}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace woodtick
