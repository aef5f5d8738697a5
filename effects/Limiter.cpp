#include "effects/Limiter.h"

#include "effects/SampleConversion.h"

namespace plimo {

Limiter::Limiter() { SetThreshold(control.load(std::memory_order_relaxed)); }

void Limiter::SetThreshold(float t) {
  control.store(t, std::memory_order_relaxed);
  limit.store(static_cast<float>(upperBound - lowerBound) * (1.0f - t) +
                  static_cast<float>(lowerBound),
              std::memory_order_relaxed);
}

void Limiter::Process(int16_t* samples, int length) const {
  const float l = limit.load(std::memory_order_relaxed);
  const int16_t high = TruncateToSample(l);
  const int16_t low = TruncateToSample(-l);
  for (int i = 0; i < length; ++i) {
    if (samples[i] > l) {
      samples[i] = high;
    } else if (samples[i] < -l) {
      samples[i] = low;
    }
  }
}

}  // namespace plimo
