#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "effects/CombUnit.h"

namespace plimo {

class RandomGenerator;

// Ten comb units with slightly randomised delays over the same input,
// averaged. The delays are drawn when the chorus is prepared for a run, so
// a level change is heard from the next run on.
class Chorus {
 public:
  static constexpr int kUnitCount = 10;
  static constexpr float kDefaultLevel = 0.75f;
  static constexpr float kMaxDelaySeconds = 0.8f;

  // The delays are drawn from random, which the owner keeps alive and
  // draws from on the same thread.
  explicit Chorus(RandomGenerator& random);
  virtual ~Chorus() = default;

  Chorus(const Chorus&) = delete;
  Chorus& operator=(const Chorus&) = delete;

  // Stores the chorus level (0.5 .. 1.0) for the next Prepare.
  void SetLevel(float level);

  // Builds the ten units for a run at samplingRate (Hz) with blocks of up
  // to maxBlockLength samples: units 0, 4 and 8 get 10 ms, the other seven
  // (2 + rho * level) * 10 ms with rho in [-0.5, 0.5] drawn from the
  // generator. maxBlockLength <= 0 leaves the chorus idle. Allocates; call
  // once per run. Returns 1, or -1 for a sampling rate the units refuse,
  // which leaves the chorus idle too.
  int Prepare(float samplingRate, int maxBlockLength);

  // Silences the units' histories; the drawn delays stay.
  void Reset();

  // Processes min(length, prepared block length) samples in place and
  // leaves the rest of the block untouched. Allocates nothing.
  void Process(int16_t* samples, int length) noexcept;

  std::unique_ptr<CombUnit[]> units;
  int unitCount = 0;
  float level = kDefaultLevel;
  std::vector<float> accumulator;
  std::vector<float> scratch;
  int blockLength = 0;  // samples

 private:
  RandomGenerator& random;
};

}  // namespace plimo
