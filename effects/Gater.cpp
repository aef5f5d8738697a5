#include "effects/Gater.h"

namespace plimo {

Gater::Gater() { SetThreshold(control.load(std::memory_order_relaxed)); }

void Gater::SetThreshold(float t) {
  control.store(t, std::memory_order_relaxed);
  const float a = t * 0.59f + 0.01f;
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
