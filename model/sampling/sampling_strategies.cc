#include "model/sampling/sampling_strategies.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace woodtick {
namespace {

// N: the nearest whole number of tallies per HIT, for p in (0, 1].
int TalliesPerHit(float p) {
  const float n = 1.0f / p + 0.5f;
  return n >= kMaxTalliesPerHit ? kMaxTalliesPerHit : static_cast<int>(n);
}

// m = ceil(1 / p), for p in (0, 1]. p is single precision, so 1 / p of a
// frequency N can land a hair above N (61 gives 61.000002); that hair must not
// turn one in 61 into one in 62. Held within int64 for tiny p.
int64_t CeilInverse(float p) {
  const double inverse = 1.0 / p;
  const double m = std::ceil(inverse * (1 - 2 * std::numeric_limits<float>::epsilon()));
  return static_cast<int64_t>(std::min(m, 4.0e18));
}

// A probability of zero never gives a HIT, even on a draw of exactly 0.
bool Chance(double probability, double draw) { return probability > 0 && probability >= draw; }

// Steers the measured share towards p: the further the share is from p, the
// harder q pulls towards it.
double AdaptiveProbability(float p, int64_t count, int64_t hits) {
  // Too few tallies in the unit to judge the share: no HIT.
  if (count <= CeilInverse(p) / 2) return 0;
  const double ratio = static_cast<double>(hits) / count;
  const double deviation = std::fabs(ratio - p) / p;
  // A share exactly on p gives 1 / 0 = infinity, and p^infinity is 0 (1 when p is 1).
  const double pull = std::pow(p, 1.0 / deviation);
  double q = ratio < p ? p + pull : p - pull;
  if (q < 0.05 && p > 0.05) q = 0.05;
  if (q > 0.95 && p < 0.95) q = 0.95;
  return q;
}

}  // namespace

SamplingStrategies::SamplingStrategies(int populations, const Clock& clock)
    : random_(static_cast<uint32_t>(clock.CalendarSeconds())), entries_(std::max(populations, 0)) {}

void SamplingStrategies::SetPopulation(int row, char method, float frequency) {
  if (row < 0 || row >= size()) return;
  PopulationStrategy& entry = entries_[row];
  float p = frequency;
  if (p > 1) p = 1 / p;
  entry.method = method;
  entry.probability = p;
  entry.block_pattern.reset();
  entry.threshold_sampler.reset();
  if (!(p > 0)) return;  // 0, negative or not a number: no N to work with
  const int n = TalliesPerHit(p);
  if (method == 'B') entry.block_pattern = std::make_unique<BlockPattern>(&random_, n);
  if (method == 'P') entry.threshold_sampler = std::make_unique<ThresholdSampler>(&random_, n);
}

bool SamplingStrategies::Decide(int row, int64_t count, int64_t hits, float* probability) {
  if (row < 0 || row >= size()) return false;
  PopulationStrategy& entry = entries_[row];
  const float p = entry.probability;
  if (probability) *probability = p;
  switch (entry.method) {
    case ' ':
      return false;
    case 'C':
      return true;
    case 'B':
      return entry.block_pattern && entry.block_pattern->NextFlag();
    case 'P':
      return entry.threshold_sampler && entry.threshold_sampler->Decide(hits);
    case 'S':
      return p > 0 && (count - 1) % CeilInverse(p) == 0;
    case 'R':
      return Chance(p, random_.NextReal());
    case 'A': {
      const double draw = random_.NextReal();
      const double q = p > 0 ? AdaptiveProbability(p, count, hits) : 0;
      if (probability) *probability = static_cast<float>(q);
      return Chance(q, draw);
    }
    default:
      random_.NextReal();  // an unknown method still takes its draw
      return false;
  }
}

std::unique_ptr<SamplingStrategies> MakeStrategies(const std::vector<PopulationRow>& rows,
                                                   const Clock& clock) {
  auto strategies = std::make_unique<SamplingStrategies>(static_cast<int>(rows.size()), clock);
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const std::string& method = rows[i].method;
    strategies->SetPopulation(i, method.empty() ? '\0' : method[0], rows[i].frequency);
  }
  return strategies;
}

}  // namespace woodtick
