#pragma once

#include <cstdint>

namespace plimo {

// The 15-bit linear congruential generator that the noise values, the
// dither, the whisper phases and the chorus delays draw from. Each run owns
// one and lends it to whatever draws during that run, so no two threads
// share a generator and a run is reproducible from its seed.
class RandomGenerator {
 public:
  static constexpr int kMax = 32767;

  explicit RandomGenerator(uint32_t seed = 1) : state(seed) {}

  // Next value in 0 .. kMax.
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }

  void Seed(uint32_t seed) { state = seed; }

  uint32_t state;
};

// A noise value in -0.5 .. 0.5: 0.5 - rand / 32767.
inline double NoiseValue(RandomGenerator& random) {
  return 0.5 - static_cast<double>(random.Next()) / RandomGenerator::kMax;
}

}  // namespace plimo
