#pragma once

#include <cstdint>

namespace plimo {

// Hard limiter: every sample is clipped to +-limit.
//
// One thread owns it (the run's); see Compressor.
class Limiter {
 public:
  // Derives the limit from the control value 0.5 (the record's default).
  Limiter();
  virtual ~Limiter() = default;

  Limiter(const Limiter&) = delete;
  Limiter& operator=(const Limiter&) = delete;

  // t is the control value 0.0 .. 1.0: 0 limits at the upper bound, 1 at
  // the lower bound.
  void SetThreshold(float t);

  // Memoryless: nothing to size or clear. Prepare returns 1.
  int Prepare(float samplingRate, int maxBlockLength);
  void Reset() {}

  // Clips every sample in place; a sample equal to +-limit passes.
  // length <= 0 does nothing.
  void Process(int16_t* samples, int length) const noexcept;

  float control = 0.5f;
  int upperBound = 10000;  // sample units
  int lowerBound = 500;    // sample units
  float limit = 0.0f;      // sample units
};

}  // namespace plimo
