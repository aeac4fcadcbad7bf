#include "mk/allocator.h"

#include <algorithm>

namespace mk {
namespace {

constexpr int64_t kSlackFrom = 4096;

}  // namespace

Allocator::Allocator(std::vector<std::pair<int64_t, int64_t>> free_ranges, int64_t growth_start,
                     int64_t slack_budget)
    : ranges_(std::move(free_ranges)),
      start_(growth_start),
      growth_(growth_start),
      budget_(slack_budget) {
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

int64_t Allocator::Allocate(int64_t size, int64_t room) {
  if (!ranges_.empty()) {
    // A growing block takes its room in a hole too, where one holds both.
    int64_t i = room > 0 ? Find(1, 0, leaves_, size + room) : -1;
    if (i < 0) {
      room = 0;
      i = Find(1, 0, leaves_, size);
    }
    if (i >= 0) {
      int64_t pos = ranges_[i].first;
      ranges_[i].first += size + room;
      Update(static_cast<size_t>(i));
      return pos;
    }
  }
  // Room left after a large block placed past the end lets it grow in
  // place, or a slightly larger rewrite of it fit into the space of this
  // copy and the gap once this copy is dead, instead of growing the file
  // again.
  int64_t want = std::max(room, size >= kSlackFrom ? size / 8 : 0);
  int64_t give = budget_ < 0 ? want : std::max<int64_t>(0, std::min(want, budget_ - slack_));
  int64_t pos = growth_;
  growth_ += size + give;
  slack_ += give;
  return pos;
}

bool Allocator::Claim(int64_t pos, int64_t size) {
  auto it = std::upper_bound(ranges_.begin(), ranges_.end(), pos,
                             [](int64_t p, const auto& r) { return p < r.first; });
  if (it == ranges_.begin()) return false;
  --it;
  if (pos < it->first || pos + size > it->second) return false;
  // Space after the claimed bytes is left out of this plan; it stays free
  // in the file.
  if (pos == it->first) {
    it->first += size;
  } else {
    it->second = pos;
  }
  Update(static_cast<size_t>(it - ranges_.begin()));
  return true;
}
}  // namespace mk
