#include "model/sampling/mersenne_random.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace woodtick {
namespace {

constexpr int kMiddle = 175;
constexpr uint32_t kLowerMask = 0x7FFFF;  // the 19 low bits come from the next word
constexpr uint32_t kUpperMask = ~kLowerMask;
constexpr uint32_t kTwist = 0xE4BD75F5;

}  // namespace

void MersenneRandom::Seed(uint32_t seed) {
  for (uint32_t& word : state_) {
    seed = seed * 29943829u - 1u;
    word = seed;
  }
  index_ = kStateSize;
}

void MersenneRandom::Regenerate() {
  for (int k = 0; k < kStateSize; ++k) {
    const uint32_t y = (state_[k] & kUpperMask) | (state_[(k + 1) % kStateSize] & kLowerMask);
    state_[k] = state_[(k + kMiddle) % kStateSize] ^ (y >> 1) ^ ((y & 1) ? kTwist : 0);
  }
  index_ = 0;
}

uint32_t MersenneRandom::NextWord() {
  if (index_ >= kStateSize) Regenerate();
  uint32_t y = state_[index_++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x655E5280;
  y ^= (y << 15) & 0xFFD58000;
  y ^= y >> 17;
  return y;
}

double MersenneRandom::NextReal() { return NextWord() * (1.0 / 4294967296.0); }

int32_t MersenneRandom::NextInt(int32_t lowest, int32_t highest) {
  if (highest < lowest) return std::numeric_limits<int32_t>::min();
  // The offset is truncated before lowest is added, so a negative lowest is
  // drawn as often as any other value. In double so the widest range cannot
  // overflow.
  const double span = static_cast<double>(highest) - lowest + 1.0;
  const double r = lowest + std::trunc(span * NextReal());
  return static_cast<int32_t>(std::min(r, static_cast<double>(highest)));
}

}  // namespace woodtick
