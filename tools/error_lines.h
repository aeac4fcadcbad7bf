// A stream whose every line starts with the program's name, so a message
// that ends up among other programs' output still says whose it is.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace woodtick {

// Passes whole lines on to `target`, each starting with `prefix` (added
// where the writer has not put it already). The last, unfinished line is
// passed on when the stream goes.
class PrefixedLines : public std::streambuf {
 public:
  PrefixedLines(std::ostream& target, std::string prefix)
      : target_(target), prefix_(std::move(prefix)) {}
  ~PrefixedLines() override;

 protected:
  int_type overflow(int_type c) override;

 private:
  void PassLine();

  std::ostream& target_;
  const std::string prefix_;
  std::string line_;
};

}  // namespace woodtick
