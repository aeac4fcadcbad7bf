#include "mk/allocator.h"

#include <algorithm>

namespace mk {
namespace {

constexpr int64_t kSlackFrom = 4096;

}  // namespace

Allocator::Allocator(std::vector<std::pair<int64_t, int64_t>> free_ranges, int64_t growth_start,
                     int64_t slack_budget)
    : ranges_(std::move(free_ranges)), growth_(growth_start), budget_(slack_budget) {
  while (leaves_ < ranges_.size()) leaves_ *= 2;
  longest_.assign(2 * leaves_, 0);
  for (size_t i = 0; i < ranges_.size(); ++i) longest_[leaves_ + i] = Length(i);
  for (size_t n = leaves_ - 1; n >= 1; --n)
    longest_[n] = std::max(longest_[2 * n], longest_[2 * n + 1]);
}

void Allocator::Update(size_t i) {
  size_t n = leaves_ + i;
  longest_[n] = Length(i);
  for (n /= 2; n >= 1; n /= 2) longest_[n] = std::max(longest_[2 * n], longest_[2 * n + 1]);
}

int64_t Allocator::Find(size_t node, size_t lo, size_t hi, int64_t size) const {
  if (longest_[node] < size) return -1;
  if (hi - lo == 1) return static_cast<int64_t>(lo);
  size_t mid = (lo + hi) / 2;
  int64_t left = Find(2 * node, lo, mid, size);
  return left >= 0 ? left : Find(2 * node + 1, mid, hi, size);
}

int64_t Allocator::Allocate(int64_t size) {
  if (!ranges_.empty()) {
    int64_t i = Find(1, 0, leaves_, size);
    if (i >= 0) {
      int64_t pos = ranges_[i].first;
      ranges_[i].first += size;
      Update(static_cast<size_t>(i));
      return pos;
    }
  }
  // Room left before a large block placed past the end lets a slightly
  // larger rewrite of it fit into the space of this copy and the gap once
  // this copy is dead, instead of growing the file again.
  if (size >= kSlackFrom) {
    int64_t room = budget_ < 0 ? size / 8 : std::min(size / 8, budget_ - slack_);
    growth_ += room;
    slack_ += room;
  }
  int64_t pos = growth_;
  growth_ += size;
  return pos;
}

}  // namespace mk
