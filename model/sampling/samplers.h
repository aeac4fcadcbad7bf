// The two sampling methods that keep state between tallies: restricted random
// blocks ("B") and a threshold on the hits so far ("P"). Both draw from a
// generator they share with the other populations and do not own.
#pragma once

#include <cstdint>
#include <vector>

#include "model/sampling/mersenne_random.h"

namespace woodtick {

// The largest N (tallies per HIT) the samplers work with. A frequency such as
// 1e9 would otherwise ask for a pattern of ten billion positions.
inline constexpr int kMaxTalliesPerHit = 100000;

// A pattern of `size` tallies of which `selections` are HITs: one at random in
// each group of `spacing` tallies, the rest anywhere. Rebuilt when used up.
class BlockPattern {
 public:
  // size and spacing of 0 give the defaults: 10 * n positions in groups of 2 * n.
  // n is held to 1..kMaxTalliesPerHit.
  BlockPattern(MersenneRandom* random, int n, int size = 0, int spacing = 0);

  // Whether the next tally of the population is a HIT.
  bool NextFlag();

  int n() const { return n_; }
  int size() const { return size_; }
  int spacing() const { return spacing_; }
  int selections() const { return selections_; }
  int groups() const { return groups_; }
  int position() const { return position_; }
  const std::vector<uint8_t>& flags() const { return flags_; }

 private:
  void Build();

  MersenneRandom* random_;
  int n_;
  int size_;
  int spacing_;
  int selections_ = 0;
  int groups_ = 0;
  std::vector<uint8_t> flags_;  // 1 for a selected position
  int position_ = 0;
};

// HIT when the hits so far reach an integer drawn between 0 and n: certain
// once the population has n hits in the unit.
class ThresholdSampler {
 public:
  ThresholdSampler(MersenneRandom* random, int n) : random_(random), n_(n) {}

  bool Decide(int64_t hits) { return hits >= random_->NextInt(0, n_); }
  int n() const { return n_; }

 private:
  MersenneRandom* random_;
  int n_;
};

}  // namespace woodtick
