#include "widgets/tone_queue.h"

namespace woodtick {

void ToneQueue::Push(Tone tone, Clock::time_point now) {
  if (!last_push_ || now - *last_push_ > kSignalGap) ++newest_signal_;
  last_push_ = now;
  waiting_.push_back({tone, newest_signal_});
  backlog_ms_ += tone.duration_ms;
  DropOldSignals();
}

void ToneQueue::DropOldSignals() {
  while (backlog_ms_ > kMaxBacklogMs && !waiting_.empty()) {
    // Signals lie in order, the started one's rest first.
    auto first = waiting_.begin();
    while (first != waiting_.end() && first->signal == started_signal_) ++first;
    if (first == waiting_.end() || first->signal == newest_signal_) return;
    const int64_t dropped = first->signal;
    auto last = first;
    for (; last != waiting_.end() && last->signal == dropped; ++last) {
      backlog_ms_ -= last->tone.duration_ms;
    }
    waiting_.erase(first, last);
  }
}

std::optional<Tone> ToneQueue::Pop() {
  if (waiting_.empty()) return std::nullopt;
  const Entry entry = waiting_.front();
  waiting_.pop_front();
  backlog_ms_ -= entry.tone.duration_ms;
  started_signal_ = entry.signal;
  return entry.tone;
}

void ToneQueue::Clear() {
  waiting_.clear();
  backlog_ms_ = 0;
}

}  // namespace woodtick
