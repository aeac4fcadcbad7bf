// First-fit placement of new blocks in the free space of a datafile, in
// ascending file order, then past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace mk {

class Allocator {
 public:
  // `free_ranges` are sorted, disjoint [start, end) ranges; space from
  // `growth_start` on is free without limit.
  // `slack_budget`: at most this many bytes of room left after blocks
  // placed past the end (-1: no limit).
  Allocator(std::vector<std::pair<int64_t, int64_t>> free_ranges, int64_t growth_start,
            int64_t slack_budget);

  // A block of `size` bytes; large blocks placed past the end get room to
  // grow after them, so do blocks given `room`.
  int64_t Allocate(int64_t size, int64_t room = 0);
  // Takes [pos, pos + size) when it is free: a block growing in place.
  bool Claim(int64_t pos, int64_t size);
  // The room left so far.
  int64_t slack() const { return slack_; }
  // The end of everything placed past the end (with its room), or 0.
  int64_t end() const { return growth_ > start_ ? growth_ : 0; }

 private:
  int64_t Length(size_t i) const { return ranges_[i].second - ranges_[i].first; }
  void Update(size_t i);
  // Leftmost range that holds `size` bytes, or -1.
  int64_t Find(size_t node, size_t lo, size_t hi, int64_t size) const;

  std::vector<std::pair<int64_t, int64_t>> ranges_;
  std::vector<int64_t> longest_;  // segment tree of range lengths
  size_t leaves_ = 1;
  int64_t start_;
  int64_t growth_;
  int64_t budget_;
  int64_t slack_ = 0;
};

}  // namespace mk
