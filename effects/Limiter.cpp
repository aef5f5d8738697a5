#include "effects/Limiter.h"

#include "effects/SampleConversion.h"

namespace plimo {

Limiter::Limiter() { SetThreshold(control); }

void Limiter::SetThreshold(float t) {
  control = t;
  limit = static_cast<float>(upperBound - lowerBound) * (1.0f - t) + static_cast<float>(lowerBound);
}

int Limiter::Prepare(float, int) { return 1; }

void Limiter::Process(int16_t* samples, int length) const noexcept {
  const float l = limit;
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
