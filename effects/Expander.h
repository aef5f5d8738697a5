#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// Memoryless downward expander on 16-bit samples: samples at or below the
// threshold become silence, louder ones are pulled down along a sine-shaped
// curve that reaches full scale unchanged.
//
// SetThreshold runs on the user-interface thread while Process runs on the
// processing thread; the derived constants are atomics read once per block.
class Expander {
 public:
  // Derives the working constants from the control value 0.5 (the record's
  // default threshold).
  Expander();
  virtual ~Expander() = default;

  Expander(const Expander&) = delete;
  Expander& operator=(const Expander&) = delete;

  // t is the control value 0.0 .. 1.0; a higher value silences more.
  void SetThreshold(float t);

  // Maps every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) const;

  std::atomic<float> control{0.5f};
  int fullScale = 32767;
  int floorAmplitude = 5;
  float fullDb = 0.0f;   // dB
  float floorDb = 0.0f;  // dB
  std::atomic<float> position{0.0f};
  std::atomic<float> thresholdDb{0.0f};
  std::atomic<float> gain{0.0f};
};

}  // namespace plimo
