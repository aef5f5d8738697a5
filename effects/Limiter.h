#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// Hard limiter: every sample is clipped to +-limit.
//
// SetThreshold runs on the user-interface thread while Process runs on the
// processing thread; the limit is an atomic read once per block.
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

  // Clips every sample in place; a sample equal to +-limit passes.
  // length <= 0 does nothing.
  void Process(int16_t* samples, int length) const;

  std::atomic<float> control{0.5f};
  int upperBound = 10000;  // sample units
  int lowerBound = 500;    // sample units
  std::atomic<float> limit{0.0f};
};

}  // namespace plimo
