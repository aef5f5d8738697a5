#include "effects/Gater.h"

namespace plimo {

namespace {
// The control's position between the bounds; never quite 0, so the gate
// always closes on the quietest samples.
constexpr float kPositionSpan = 0.59f;
constexpr float kPositionMin = 0.01f;
}  // namespace

Gater::Gater() { SetThreshold(control); }

void Gater::SetThreshold(float t) {
  control = t;
  const float a = t * kPositionSpan + kPositionMin;
  position = a;
  threshold = static_cast<float>(upperBound - lowerBound) * a + static_cast<float>(lowerBound);
}

int Gater::Prepare(float, int) { return 1; }

void Gater::Process(int16_t* samples, int length) const noexcept {
  const float t = threshold;
  for (int i = 0; i < length; ++i) {
    if (samples[i] > -t && samples[i] < t) samples[i] = 0;
  }
}

}  // namespace plimo
