// MersenneRandom: the Mersenne Twister generator with the MT11213A parameter
// set (351 words of state). One generator drives every random sampling
// decision of a tally.
#pragma once

#include <array>
#include <cstdint>

namespace woodtick {

class MersenneRandom {
 public:
  static constexpr int kStateSize = 351;

  explicit MersenneRandom(uint32_t seed) { Seed(seed); }

  void Seed(uint32_t seed);
  // The next tempered 32-bit output.
  uint32_t NextWord();
  // A real number in [0, 1): NextWord() / 2^32.
  double NextReal();
  // An integer in [lowest, highest]; the smallest int32 when highest < lowest.
  int32_t NextInt(int32_t lowest, int32_t highest);

 private:
  void Regenerate();

  std::array<uint32_t, kStateSize> state_;
  int index_ = kStateSize;  // kStateSize: the state must be regenerated
};

}  // namespace woodtick
