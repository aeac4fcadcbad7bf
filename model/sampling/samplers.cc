#include "model/sampling/samplers.h"

#include <algorithm>

namespace woodtick {

BlockPattern::BlockPattern(MersenneRandom* random, int n, int size, int spacing)
    : random_(random), n_(std::clamp(n, 1, kMaxTalliesPerHit)), size_(size), spacing_(spacing) {
  if (size_ <= 0 && spacing_ <= 0) {
    size_ = 10 * n_;
    spacing_ = 2 * n_;
  }
  // Only one of the two given: fill in the other rather than divide by zero.
  if (size_ <= 0) size_ = 10 * n_;
  if (spacing_ <= 0) spacing_ = size_;
  selections_ = (size_ + n_ - 1) / n_;
  size_ = n_ * selections_;
  spacing_ = (spacing_ + n_ - 1) / n_ * n_;
  groups_ = size_ / spacing_;
  Build();
}

void BlockPattern::Build() {
  flags_.assign(size_, 0);
  for (int j = 0; j < groups_; ++j) {
    const int first = j * spacing_;
    flags_[random_->NextInt(first, std::min(first + spacing_ - 1, size_ - 1))] = 1;
  }
  for (int set = groups_; set < selections_;) {
    uint8_t& flag = flags_[random_->NextInt(0, size_ - 1)];
    if (!flag) {
      flag = 1;
      ++set;
    }
  }
  position_ = 0;
}

bool BlockPattern::NextFlag() {
  if (position_ >= size_) position_ = size_ - 1;
  const bool flag = flags_[position_++];
  if (position_ >= size_) Build();
  return flag;
}

}  // namespace woodtick
