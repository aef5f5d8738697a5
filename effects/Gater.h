#pragma once

#include <cstdint>

namespace plimo {

// Noise gate without memory: samples strictly inside (-threshold,
// threshold) become silence, the rest pass unchanged.
//
// One thread owns it (the run's); see Compressor.
class Gater {
 public:
  // Derives the threshold from the control value 0.5 (the record's default).
  Gater();
  virtual ~Gater() = default;

  Gater(const Gater&) = delete;
  Gater& operator=(const Gater&) = delete;

  // t is the control value 0.0 .. 1.0; a higher value gates louder samples.
  void SetThreshold(float t);

  // Memoryless: nothing to size or clear. Prepare returns 1.
  int Prepare(float samplingRate, int maxBlockLength);
  void Reset() {}

  // Gates every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) const noexcept;

  float control = 0.5f;
  float position = 0.0f;
  float threshold = 0.0f;  // sample units
  int upperBound = 2000;   // sample units
  int lowerBound = 0;      // sample units
};

}  // namespace plimo
