// Progress of long woodtick-cli work, one line redrawn in place on the
// terminal. Nothing is shown unless main() named a terminal (so pipes, logs
// and tests stay clean), and nothing for work that ends within a moment.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace woodtick {

// The stream progress lines go to, or null (the default) for none.
void ShowProgressOn(std::ostream* terminal);

class Progress {
 public:
  // `files`: how many files the whole command works through.
  explicit Progress(int files);
  ~Progress();  // erases the line
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // The next file, with the number of steps (rows) its work takes.
  void BeginFile(const std::string& name, int64_t steps);
  void Step();
  // Removes the line, before other output; the next step draws it again.
  void Erase();

 private:
  void Draw();

  std::ostream* terminal_;
  int files_;
  int file_ = 0;
  std::string name_;
  int64_t steps_ = 0;
  int64_t done_ = 0;
  std::chrono::steady_clock::time_point start_, next_draw_;
  bool drawn_ = false;
};

}  // namespace woodtick
