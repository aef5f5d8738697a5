#include "effects/Gater.h"

namespace plimo {

namespace {
// The control's position between the bounds; never quite 0, so the gate
// always closes on the quietest samples.
constexpr float kPositionSpan = 0.59f;
constexpr float kPositionMin = 0.01f;
}  // namespace

Gater::Gater() { SetThreshold(control.load(std::memory_order_relaxed)); }

void Gater::SetThreshold(float t) {
  control.store(t, std::memory_order_relaxed);
  const float a = t * kPositionSpan + kPositionMin;
  position.store(a, std::memory_order_relaxed);
  threshold.store(static_cast<float>(upperBound - lowerBound) * a +
                      static_cast<float>(lowerBound),
                  std::memory_order_relaxed);
}

void Gater::Process(int16_t* samples, int length) const {
  const float t = threshold.load(std::memory_order_relaxed);
  for (int i = 0; i < length; ++i) {
    if (samples[i] > -t && samples[i] < t) samples[i] = 0;
  }
}

}  // namespace plimo
