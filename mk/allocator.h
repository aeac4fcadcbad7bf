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
  // `slack`: leave room before large blocks placed past the end.
  Allocator(std::vector<std::pair<int64_t, int64_t>> free_ranges, int64_t growth_start, bool slack);

  int64_t Allocate(int64_t size);

 private:
  int64_t Length(size_t i) const { return ranges_[i].second - ranges_[i].first; }
  void Update(size_t i);
  // Leftmost range that holds `size` bytes, or -1.
  int64_t Find(size_t node, size_t lo, size_t hi, int64_t size) const;

  std::vector<std::pair<int64_t, int64_t>> ranges_;
  std::vector<int64_t> longest_;  // segment tree of range lengths
  size_t leaves_ = 1;
  int64_t growth_;
  bool slack_;
};

}  // namespace mk
