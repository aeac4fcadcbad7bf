// Beeps of a given frequency and length, synthesised and played through the
// desktop's sound server with PulseAudio's simple API (PipeWire desktops
// serve it too). Play() only queues the tone: one worker thread connects,
// writes the samples and waits for them to sound, so a beep never holds up a
// key press. Without a sound server the tones are dropped in silence, and the
// player tries the server again now and then.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace woodtick {

class TonePlayer {
 public:
  TonePlayer();
  // Stops at once: tones not yet played are dropped.
  ~TonePlayer();
  TonePlayer(const TonePlayer&) = delete;
  TonePlayer& operator=(const TonePlayer&) = delete;

  // The player the program's beeps go through.
  static TonePlayer& Instance();

  void Play(int frequency_hz, int duration_ms);

  // Tones waiting or sounding (the last one until the server has played it).
  int pending() const;

  static constexpr int kSampleRate = 48000;
  // Every tone rises from and falls to silence over this time.
  static constexpr int kFadeMs = 5;

  // Mono 16-bit samples of a sine tone, exactly duration_ms long, faded in
  // and out so it starts and stops without a click.
  static std::vector<int16_t> Synthesise(int frequency_hz, int duration_ms, int sample_rate);

 private:
  struct Shared;

  // The worker: connects, plays the queue, drains, until stopped.
  static void Run(Shared& shared);

  // Shared with the worker, which outlives the player only when the sound
  // server stops answering at exit.
  std::shared_ptr<Shared> shared_;
  std::thread worker_;
};

}  // namespace woodtick
