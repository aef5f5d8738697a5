#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// Noise gate without memory: samples strictly inside (-threshold,
// threshold) become silence, the rest pass unchanged.
//
// SetThreshold runs on the user-interface thread while Process runs on the
// processing thread; the threshold is an atomic read once per block.
class Gater {
 public:
  // Derives the threshold from the control value 0.5 (the record's default).
  Gater();
  virtual ~Gater() = default;

  Gater(const Gater&) = delete;
  Gater& operator=(const Gater&) = delete;

  // t is the control value 0.0 .. 1.0; a higher value gates louder samples.
  void SetThreshold(float t);

  // Gates every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) const;

  std::atomic<float> control{0.5f};
  std::atomic<float> position{0.0f};
  std::atomic<float> threshold{0.0f};  // sample units
  int upperBound = 2000;               // sample units
  int lowerBound = 0;                  // sample units
};

}  // namespace plimo
