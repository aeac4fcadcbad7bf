// Filler text for the notes of bench files: `n` letters, the same for the
// same seed.
#pragma once

#include <string>

inline std::string Letters(int n, unsigned seed) {
  std::string s(n, ' ');
  for (int i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s[i] = static_cast<char>('a' + (seed >> 16) % 26);
  }
  return s;
}
