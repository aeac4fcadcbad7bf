#include "widgets/tone_player.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cmath>

namespace woodtick {
namespace {

TEST(TonePlayerTest, SynthesisesTheRequestedLengthAndPitch) {
  const int rate = 8000;
  const QByteArray pcm = TonePlayer::Synthesise(1000, 250, rate);
  ASSERT_EQ(pcm.size(), 2 * 2000);
  const auto* samples = reinterpret_cast<const int16_t*>(pcm.constData());
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
  EXPECT_LT(std::abs(static_cast<int>(samples[1999])), 500);
}

TEST(TonePlayerTest, PlayingNeverBlocksTheCaller) {
  TonePlayer player;
  QElapsedTimer timer;
  timer.start();
  player.Play(800, 200);
  player.Play(1000, 300);
  player.Play(1000, 250);
  EXPECT_LT(timer.elapsed(), 150);
  // Without an audio output each tone was a system beep and nothing waits.
  if (!player.has_audio_output())
    EXPECT_EQ(player.pending(), 0);
  else
    EXPECT_LE(player.pending(), 3);
}

TEST(TonePlayerTest, IgnoresEmptyTones) {
  TonePlayer player;
  player.Play(0, 100);
  player.Play(1000, 0);
  EXPECT_EQ(player.pending(), 0);
}

}  // namespace
}  // namespace woodtick
