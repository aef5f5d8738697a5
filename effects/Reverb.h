#pragma once

#include <cstdint>
#include <vector>

#include "effects/CombUnit.h"

namespace plimo {

// Single comb unit whose delay follows the reverb level. With the engine's
// 20 ms blocks every delay (25 to 55 ms) exceeds the block, so each sample
// is mixed with the reverb's own output one block earlier.
class Reverb {
 public:
  Reverb() = default;
  virtual ~Reverb() = default;

  Reverb(const Reverb&) = delete;
  Reverb& operator=(const Reverb&) = delete;

  // level is the reverb level 0.0 .. 1.0: the delay runs from 25 ms (0) to
  // 55 ms (1); the gain stays 0.7. Keeps the history.
  void SetLevel(float level);

  // Clears the history for a run at samplingRate (Hz) and sizes the float
  // working block for blocks of up to maxBlockLength samples. Allocates;
  // call once per run. Returns the unit's Prepare status.
  int Prepare(float samplingRate, int maxBlockLength);

  // Silences the history; the level stays.
  void Reset();

  // Runs the unit over min(length, prepared block length) samples in place,
  // truncating the results toward zero, and leaves the rest of the block
  // untouched: the comb's result depends on where blocks begin, so a longer
  // block is not split. Allocates nothing; length <= 0 does nothing.
  void Process(int16_t* samples, int length) noexcept;

  CombUnit unit;

 private:
  std::vector<float> block;
};

}  // namespace plimo
