#include "widgets/tone_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace woodtick {
namespace {

TEST(TonePlayerTest, SynthesisesTheRequestedLengthAndPitch) {
  const int rate = 8000;
  const std::vector<int16_t> samples = TonePlayer::Synthesise(1000, 250, rate);
  ASSERT_EQ(samples.size(), 2000u);
  // Count upward zero crossings: one per cycle.
  int crossings = 0;
  int peak = 0;
  for (int i = 1; i < 2000; ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
    peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  }
  EXPECT_NEAR(crossings, 250, 2);
  EXPECT_GT(peak, 8000);
  // Faded at both ends so the tone starts and stops without a click.
  EXPECT_EQ(samples[0], 0);
  EXPECT_EQ(samples[1999], 0);
}

TEST(TonePlayerTest, PlayingNeverBlocksTheCallerNorTheExit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  {
    TonePlayer player;
    player.Play(800, 200);
    player.Play(1000, 300);
    player.Play(1000, 250);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_LE(player.pending(), 3);
  }
  // Tones still waiting are dropped, not played out, when the player goes.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(400));
}

TEST(TonePlayerTest, IgnoresEmptyTones) {
  TonePlayer player;
  player.Play(0, 100);
  player.Play(1000, 0);
  EXPECT_EQ(player.pending(), 0);
}

}  // namespace
}  // namespace woodtick
