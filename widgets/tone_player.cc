#include "widgets/tone_player.h"

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>

#include "widgets/tone_queue.h"

namespace woodtick {
namespace {

using Clock = std::chrono::steady_clock;

// The server's buffer: long enough that a busy machine does not starve a
// tone halfway, short enough that a tone starts promptly.
constexpr int kBufferMs = 80;
// Samples are written in slices this long so a stop is seen between them.
constexpr int kSliceMs = 10;
// After a failed connection, tones are dropped until this time has passed.
constexpr auto kRetryAfter = std::chrono::seconds(3);
// A stream left open keeps the sound device awake: it is closed after this
// long without a tone and opened again for the next.
constexpr auto kIdleClose = std::chrono::seconds(10);
// The longest the player's destructor waits for the worker to finish.
constexpr auto kStopWait = std::chrono::milliseconds(300);

int BytesFor(int ms) { return TonePlayer::kSampleRate / 1000 * ms * 2; }

// The connection to the sound server: opened for a tone, closed after a
// failure (and tried again no sooner than kRetryAfter) or when idle.
class ServerStream {
 public:
  ServerStream() = default;
  ServerStream(const ServerStream&) = delete;
  ServerStream& operator=(const ServerStream&) = delete;
  ~ServerStream() { Close(); }

  bool open() const { return stream_ != nullptr; }

  // Writes the tone in slices, stopping early when `stop` is set; false when
  // there is no server or it failed.
  bool Write(const Tone& tone, const std::atomic<bool>& stop) {
    if (!stream_ && Clock::now() >= next_try_) Open();
    if (!stream_) return false;
    const std::vector<int16_t> pcm =
        TonePlayer::Synthesise(tone.frequency_hz, tone.duration_ms, TonePlayer::kSampleRate);
    const size_t slice = TonePlayer::kSampleRate / 1000 * kSliceMs;
    for (size_t at = 0; at < pcm.size() && !stop; at += slice) {
      const size_t count = std::min(slice, pcm.size() - at);
      int error = 0;
      if (pa_simple_write(stream_, pcm.data() + at, count * sizeof(int16_t), &error) < 0) {
        Close();
        return false;
      }
    }
    return true;
  }

  // Waits until everything written has sounded; this also starts a tone
  // shorter than the server's buffer.
  void Drain() {
    int error = 0;
    if (stream_ && pa_simple_drain(stream_, &error) < 0) Close();
  }

  // Drops what has not sounded yet and disconnects.
  void Close() {
    if (!stream_) return;
    int error = 0;
    pa_simple_flush(stream_, &error);
    pa_simple_free(stream_);
    stream_ = nullptr;
  }

 private:
  void Open() {
    const pa_sample_spec spec{PA_SAMPLE_S16NE, TonePlayer::kSampleRate, 1};
    const uint32_t server_default = static_cast<uint32_t>(-1);
    const pa_buffer_attr buffer{.maxlength = server_default,
                                .tlength = static_cast<uint32_t>(BytesFor(kBufferMs)),
                                .prebuf = server_default,
                                .minreq = server_default,
                                .fragsize = server_default};
    int error = 0;
    stream_ = pa_simple_new(nullptr, "Woodtick", PA_STREAM_PLAYBACK, nullptr, "Tally tones", &spec,
                            nullptr, &buffer, &error);
    if (!stream_) next_try_ = Clock::now() + kRetryAfter;
  }

  pa_simple* stream_ = nullptr;
  Clock::time_point next_try_{};
};

}  // namespace

struct TonePlayer::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished_changed;
  ToneQueue queue;
  bool sounding = false;
  bool finished = false;
  std::atomic<bool> stop = false;
};

void TonePlayer::Run(Shared& shared) {
  ServerStream server;
  std::unique_lock lock(shared.mutex);
  auto woken = [&] { return shared.stop || shared.queue.size() > 0; };
  while (true) {
    if (!server.open()) {
      shared.wake.wait(lock, woken);
    } else if (!shared.wake.wait_for(lock, kIdleClose, woken)) {
      lock.unlock();
      server.Close();
      lock.lock();
      continue;
    }
    if (shared.stop) break;
    const Tone tone = *shared.queue.Pop();
    shared.sounding = true;
    lock.unlock();
    const bool played = server.Write(tone, shared.stop);
    lock.lock();
    // Tones that could not sound are not kept for later: they would be late.
    if (!played) shared.queue.Clear();
    if (played && shared.queue.size() == 0 && !shared.stop) {
      // The player is idle only once the last tone has sounded in full.
      lock.unlock();
      server.Drain();
      lock.lock();
    }
    shared.sounding = false;
  }
  lock.unlock();
  server.Close();
  lock.lock();
  shared.finished = true;
  shared.finished_changed.notify_all();
}

TonePlayer::TonePlayer() : shared_(std::make_shared<Shared>()) {
  worker_ = std::thread([shared = shared_] { Run(*shared); });
}

TonePlayer::~TonePlayer() {
  std::unique_lock lock(shared_->mutex);
  shared_->stop = true;
  shared_->queue.Clear();
  shared_->wake.notify_all();
  // A server that stops answering must not hold up the program's exit.
  if (shared_->finished_changed.wait_for(lock, kStopWait, [&] { return shared_->finished; })) {
    lock.unlock();
    worker_.join();
  } else {
    worker_.detach();
  }
}

TonePlayer& TonePlayer::Instance() {
  static TonePlayer player;
  return player;
}

void TonePlayer::Play(int frequency_hz, int duration_ms) {
  if (frequency_hz <= 0 || duration_ms <= 0) return;
  std::lock_guard lock(shared_->mutex);
  shared_->queue.Push({frequency_hz, duration_ms}, Clock::now());
  shared_->wake.notify_one();
}

int TonePlayer::pending() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->queue.size() + (shared_->sounding ? 1 : 0);
}

std::vector<int16_t> TonePlayer::Synthesise(int frequency_hz, int duration_ms, int sample_rate) {
  const int samples = static_cast<int>(static_cast<int64_t>(sample_rate) * duration_ms / 1000);
  const int fade = std::min(samples / 2, sample_rate * kFadeMs / 1000);
  std::vector<int16_t> pcm(samples);
  const double step = 2.0 * std::numbers::pi * frequency_hz / sample_rate;
  for (int i = 0; i < samples; ++i) {
    // A raised-cosine fade: the level and its slope start and end at zero.
    const int from_edge = std::min(i, samples - 1 - i);
    double gain = 0.4;
    if (from_edge < fade) gain *= 0.5 - 0.5 * std::cos(std::numbers::pi * from_edge / fade);
    pcm[i] = static_cast<int16_t>(std::lround(32767.0 * gain * std::sin(step * i)));
  }
  return pcm;
}

}  // namespace woodtick
