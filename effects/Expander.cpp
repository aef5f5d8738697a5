#include "effects/Expander.h"

#include <cmath>
#include <numbers>

#include "effects/Decibels.h"
#include "effects/SampleConversion.h"

namespace plimo {

Expander::Expander()
    : fullDb(static_cast<float>(SampleLevelDb(static_cast<int16_t>(32767)))),
      floorDb(static_cast<float>(SampleLevelDb(static_cast<int16_t>(5)))) {
  SetThreshold(control.load(std::memory_order_relaxed));
}

void Expander::SetThreshold(float t) {
  control.store(t, std::memory_order_relaxed);
  const float k = 0.4f * t;
  position.store(k, std::memory_order_relaxed);
  thresholdDb.store(k * (fullDb - floorDb) + floorDb,
                    std::memory_order_relaxed);
  // The curve's value at full scale, 0.5 (sin(pi/2) + 1) = 1, keeps a
  // full-scale sample at full scale.
  const double fullCurve = 0.5 * (std::sin(std::numbers::pi / 2.0) + 1.0);
  gain.store(static_cast<float>(fullScale / AmplitudeOfDb(fullDb * fullCurve)),
             std::memory_order_relaxed);
}

void Expander::Process(int16_t* samples, int length) const {
  const double threshold = thresholdDb.load(std::memory_order_relaxed);
  const double g = gain.load(std::memory_order_relaxed);
  const double span = fullDb - floorDb - threshold;  // dB
  for (int i = 0; i < length; ++i) {
    const int16_t s = samples[i];
    const double level = SampleLevelDb(s);
    if (level <= threshold) {
      samples[i] = 0;
      continue;
    }
    const double x = (level - floorDb - threshold) / span;
    const double curve = 0.5 * (std::sin(std::numbers::pi / 2.0 * x) + 1.0);
    const double magnitude = g * AmplitudeOfDb(level * curve);
    samples[i] = TruncateToSample(s < 0 ? -magnitude : magnitude);
  }
}

}  // namespace plimo
