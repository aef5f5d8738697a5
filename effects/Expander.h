#pragma once

#include <cstdint>

#include "effects/SampleMap.h"

namespace plimo {

// Memoryless downward expander on 16-bit samples: samples at or below the
// threshold become silence, louder ones are pulled down along a sine-shaped
// curve that reaches full scale unchanged.
//
// One thread owns it (the run's); see Compressor.
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

  // Memoryless: nothing to size or clear. Prepare returns 1.
  int Prepare(float samplingRate, int maxBlockLength);
  void Reset() {}

  // Maps every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) noexcept;

  float control = 0.5f;
  int fullScale = 32767;
  int floorAmplitude = 5;
  float fullDb = 0.0f;   // dB
  float floorDb = 0.0f;  // dB
  float position = 0.0f;
  float thresholdDb = 0.0f;
  float gain = 0.0f;

 private:
  // The result for one sample from the settings; Process keeps it.
  int16_t MapSample(int16_t s) const;

  SampleMap results;
};

}  // namespace plimo
