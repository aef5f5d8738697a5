#include "effects/Expander.h"

#include <cmath>
#include <numbers>

#include "effects/Decibels.h"
#include "effects/SampleConversion.h"

namespace plimo {

namespace {
// The threshold's position between the floor and full-scale levels at the
// highest control value.
constexpr float kPositionSpan = 0.4f;

// The sine curve 0.5 (sin(pi/2 x) + 1) at full scale (x = 1), which makes
// the gain 1.
constexpr double kFullScaleCurve = 1.0;
}  // namespace

Expander::Expander()
    : fullDb(SampleLevelDb(static_cast<int16_t>(fullScale))),
      floorDb(SampleLevelDb(static_cast<int16_t>(floorAmplitude))) {
  SetThreshold(control);
}

void Expander::SetThreshold(float t) {
  control = t;
  const float k = kPositionSpan * t;
  position = k;
  thresholdDb = k * (fullDb - floorDb) + floorDb;
  gain = static_cast<float>(fullScale / AmplitudeOfDb(fullDb * kFullScaleCurve));
}

int Expander::Prepare(float, int) { return 1; }

void Expander::Process(int16_t* samples, int length) const noexcept {
  const double threshold = thresholdDb;
  const double full = fullDb;
  const double span = full - floorDb - threshold;  // dB
  for (int i = 0; i < length; ++i) {
    const int16_t s = samples[i];
    const double level = SampleLevelDb(s);
    if (level <= threshold) {
      samples[i] = 0;
      continue;
    }
    const double x = (level - floorDb - threshold) / span;
    const double curve = 0.5 * (std::sin(std::numbers::pi / 2.0 * x) + 1.0);
    // gain * amplitude(level * curve) with gain = fullScale /
    // amplitude(fullDb), taken as one relative level so that full scale
    // maps exactly onto itself instead of missing it by the rounding of the
    // stored gain.
    const double magnitude = fullScale * AmplitudeOfDb(level * curve - fullDb * kFullScaleCurve);
    samples[i] = TruncateToSample(s < 0 ? -magnitude : magnitude);
  }
}

}  // namespace plimo
