// The tones waiting to be played. Tones asked for together (a HIT's three)
// form one signal; when the operator keys faster than the tones can sound,
// whole older signals are dropped so the sound never lags the keys by more
// than about one signal, and a signal is never cut to fewer tones.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace woodtick {

struct Tone {
  int frequency_hz;
  int duration_ms;
  bool operator==(const Tone&) const = default;
};

class ToneQueue {
 public:
  using Clock = std::chrono::steady_clock;

  // Tones asked for within this time of the previous one join its signal;
  // one key press asks for all of its tones at once.
  static constexpr auto kSignalGap = std::chrono::milliseconds(10);
  // Waiting tones beyond this length drop the oldest waiting signals.
  static constexpr int kMaxBacklogMs = 800;

  void Push(Tone tone, Clock::time_point now);
  std::optional<Tone> Pop();
  void Clear();

  int size() const { return static_cast<int>(waiting_.size()); }

 private:
  struct Entry {
    Tone tone;
    int64_t signal;
  };

  void DropOldSignals();

  std::deque<Entry> waiting_;
  int backlog_ms_ = 0;
  int64_t newest_signal_ = 0;
  // The signal whose first tone has started: the rest of it always plays.
  int64_t started_signal_ = 0;
  std::optional<Clock::time_point> last_push_;
};

}  // namespace woodtick
