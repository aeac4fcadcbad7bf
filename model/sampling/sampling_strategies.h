// SamplingStrategies: for every tally, whether the population's sampling
// method makes it a HIT (an item to be measured). One entry per population
// row of the Tally view; all random decisions come from one generator seeded
// from the clock when the object is built.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/sampling/mersenne_random.h"
#include "model/sampling/samplers.h"
#include "platform/clock.h"

namespace woodtick {

struct PopulationStrategy {
  char method = ' ';
  float probability = 0;                        // p; a frequency above 1 is stored as 1 / frequency
  std::unique_ptr<BlockPattern> block_pattern;  // method "B"
  std::unique_ptr<ThresholdSampler> threshold_sampler;  // method "P"
};

class SamplingStrategies {
 public:
  // All entries blank; the generator is seeded with the clock's calendar seconds.
  SamplingStrategies(int populations, const Clock& clock);
  SamplingStrategies(const SamplingStrategies&) = delete;  // the samplers point at random_
  SamplingStrategies& operator=(const SamplingStrategies&) = delete;

  // A frequency above 1 means one HIT in that many tallies, up to 1 is a
  // probability. A frequency of 0 or below never gives a HIT (except for
  // method "C", which ignores it).
  void SetPopulation(int row, char method, float frequency);

  // count: the population's tallies in the current unit including this one;
  // hits: its HITs in the unit before this one. *probability, when given,
  // receives p, or for method "A" the adaptive probability used. A row
  // without an entry is never a HIT.
  bool Decide(int row, int64_t count, int64_t hits, float* probability = nullptr);

  int size() const { return static_cast<int>(entries_.size()); }
  const PopulationStrategy& entry(int row) const { return entries_.at(row); }
  MersenneRandom& random() { return random_; }

 private:
  MersenneRandom random_;
  std::vector<PopulationStrategy> entries_;
};

// The Meth and Freq cells of one Tally row.
struct PopulationRow {
  std::string method;  // only the first character counts; empty gives '\0'
  float frequency = 0;
};

// A new SamplingStrategies with one entry per row, in row order.
std::unique_ptr<SamplingStrategies> MakeStrategies(const std::vector<PopulationRow>& rows,
                                                   const Clock& clock);

}  // namespace woodtick
