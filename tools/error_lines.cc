#include "tools/error_lines.h"

namespace woodtick {

PrefixedLines::~PrefixedLines() {
  if (!line_.empty()) PassLine();
}

PrefixedLines::int_type PrefixedLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  line_.push_back(traits_type::to_char_type(c));
  if (line_.back() == '\n') PassLine();
  return c;
}

void PrefixedLines::PassLine() {
  if (line_.compare(0, prefix_.size(), prefix_) != 0) target_ << prefix_;
  target_ << line_;
  target_.flush();
  line_.clear();
}

}  // namespace woodtick
