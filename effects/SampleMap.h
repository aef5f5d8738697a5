#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace plimo {

// The results of a memoryless effect that maps a sample and its negative
// onto negatives of each other, kept by magnitude: each is worked out the
// first time its magnitude is met and kept until the effect's settings
// change, as the levels in dB behind it cost a logarithm and a power.
// The table is made with the effect, so a run's blocks allocate nothing.
class SampleMap {
 public:
  SampleMap()
      : results(std::make_unique_for_overwrite<int16_t[]>(kMagnitudes)), known(kKnownWords, 0) {}

  // After a change of settings every result must be worked out again.
  void Forget() { std::fill(known.begin(), known.end(), 0); }

  // The effect's result for s, from compute(s) the first time |s| is met.
  template <class Compute>
  int16_t Map(int16_t s, const Compute& compute) {
    const int magnitude = s < 0 ? -static_cast<int>(s) : s;
    uint64_t& word = known[static_cast<size_t>(magnitude) / kWordBits];
    const uint64_t bit = uint64_t{1} << (magnitude % kWordBits);
    int16_t& result = results[static_cast<size_t>(magnitude)];
    if ((word & bit) == 0) {
      const int computed = compute(s);
      result = static_cast<int16_t>(computed < 0 ? -computed : computed);
      word |= bit;
    }
    return s < 0 ? static_cast<int16_t>(-result) : result;
  }

 private:
  static constexpr int kMagnitudes = 32769;  // 0 .. 32768, the magnitude of -32768 too
  static constexpr int kWordBits = 64;
  static constexpr int kKnownWords = (kMagnitudes + kWordBits - 1) / kWordBits;

  // Left unwritten until a magnitude is met: an effect that is off, or a
  // quiet file, touches few of its pages. One bit per magnitude says
  // whether its result is kept, so forgetting clears 4 KiB, not 64.
  std::unique_ptr<int16_t[]> results;
  std::vector<uint64_t> known;
};

}  // namespace plimo
