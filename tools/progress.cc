#include "tools/progress.h"

namespace woodtick {
namespace {

std::ostream* g_terminal = nullptr;

// Work shorter than this shows nothing; a drawn line is redrawn this often.
constexpr auto kQuietStart = std::chrono::milliseconds(300);
constexpr auto kRedraw = std::chrono::milliseconds(100);

}  // namespace

void ShowProgressOn(std::ostream* terminal) { g_terminal = terminal; }

Progress::Progress(int files)
    : terminal_(g_terminal),
      files_(files),
      start_(std::chrono::steady_clock::now()),
      next_draw_(start_ + kQuietStart) {}

Progress::~Progress() { Erase(); }

void Progress::Erase() {
  if (!drawn_) return;
  *terminal_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

void Progress::BeginFile(const std::string& name, int64_t steps) {
  ++file_;
  name_ = name;
  steps_ = steps;
  done_ = 0;
  // A shown line names the new file at once.
  if (terminal_ && (drawn_ || std::chrono::steady_clock::now() >= next_draw_)) Draw();
}

void Progress::Step() {
  // Reading the clock on every row would cost more than the row.
  if (!terminal_ || (++done_ & 1023) != 0) return;
  if (std::chrono::steady_clock::now() >= next_draw_) Draw();
}

void Progress::Draw() {
  next_draw_ = std::chrono::steady_clock::now() + kRedraw;
  drawn_ = true;
  *terminal_ << "\r\x1b[K";
  if (files_ > 1) *terminal_ << "file " << file_ << " of " << files_ << ": ";
  *terminal_ << name_;
  if (steps_ > 0) *terminal_ << " " << (done_ * 100 / steps_) << "%";
  *terminal_ << std::flush;
}

}  // namespace woodtick
