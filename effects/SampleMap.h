#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plimo {

// The results of a memoryless effect that maps a sample and its negative
// onto negatives of each other, kept by magnitude: each is worked out the
// first time its magnitude is met and kept until the effect's settings
// change, as the levels in dB behind it cost a logarithm and a power.
// The table is made with the effect, so a run's blocks allocate nothing.
class SampleMap {
 public:
  SampleMap() : results(kMagnitudes, kUnknown) {}

  // After a change of settings every result must be worked out again.
  void Forget() { std::fill(results.begin(), results.end(), kUnknown); }

  // The effect's result for s, from compute(s) the first time |s| is met.
  template <class Compute>
  int16_t Map(int16_t s, const Compute& compute) {
    const int magnitude = s < 0 ? -static_cast<int>(s) : s;
    int16_t& result = results[static_cast<size_t>(magnitude)];
    if (result == kUnknown) {
      const int computed = compute(s);
      result = static_cast<int16_t>(computed < 0 ? -computed : computed);
    }
    return s < 0 ? static_cast<int16_t>(-result) : result;
  }

 private:
  static constexpr int kMagnitudes = 32769;  // 0 .. 32768, the magnitude of -32768 too
  // No result is negative, as magnitudes are kept.
  static constexpr int16_t kUnknown = -1;

  std::vector<int16_t> results;
};

}  // namespace plimo
