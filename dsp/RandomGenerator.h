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
  static constexpr uint32_t kMultiplier = 214013u;
  static constexpr uint32_t kIncrement = 2531011u;

  explicit RandomGenerator(uint32_t seed = 1) : state(seed) {}

  // Next value in 0 .. kMax.
  int Next() {
    state = state * kMultiplier + kIncrement;
    return ValueOf(state);
  }

  void Seed(uint32_t seed) { state = seed; }

  // The value a state gives.
  static int ValueOf(uint32_t s) { return static_cast<int>((s >> 16) & 0x7FFFu); }

  uint32_t state;
};

// A noise value in -0.5 .. 0.5: 0.5 - rand / 32767.
inline double NoiseValue(RandomGenerator& random) {
  return 0.5 - static_cast<double>(random.Next()) / RandomGenerator::kMax;
}

// x[i] = float(x[i] + NoiseValue(random)) for i = 0 .. n - 1, in order, as
// n calls would, two draws at a time: every second state follows from the
// one two steps before by a generator of its own, so two divisions go side
// by side instead of one after the other.
inline void AddNoise(float* x, int n, RandomGenerator& random) {
  using Pair = double __attribute__((vector_size(16)));
  constexpr uint32_t a = RandomGenerator::kMultiplier;
  constexpr uint32_t c = RandomGenerator::kIncrement;
  constexpr uint32_t twoStepsMultiplier = a * a;
  constexpr uint32_t twoStepsIncrement = a * c + c;
  constexpr Pair half = {0.5, 0.5};
  constexpr Pair max = {RandomGenerator::kMax, RandomGenerator::kMax};
  uint32_t even = random.state * a + c;
  uint32_t odd = even * a + c;
  int i = 0;
  for (; i + 1 < n; i += 2) {
    const Pair drawn = {static_cast<double>(RandomGenerator::ValueOf(even)),
                        static_cast<double>(RandomGenerator::ValueOf(odd))};
    const Pair noise = half - drawn / max;
    x[i] = static_cast<float>(x[i] + noise[0]);
    x[i + 1] = static_cast<float>(x[i + 1] + noise[1]);
    random.state = odd;
    even = even * twoStepsMultiplier + twoStepsIncrement;
    odd = odd * twoStepsMultiplier + twoStepsIncrement;
  }
  if (i < n) x[i] = static_cast<float>(x[i] + NoiseValue(random));
}

}  // namespace plimo
