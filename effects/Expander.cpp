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
  results.Forget();
}

int Expander::Prepare(float, int) { return 1; }

int16_t Expander::MapSample(int16_t s) const {
  const double threshold = thresholdDb;
  const double level = SampleLevelDb(s);
  if (level <= threshold) return 0;
  const double full = fullDb;
  const double span = full - floorDb - threshold;  // dB
  const double x = (level - floorDb - threshold) / span;
  const double curve = 0.5 * (std::sin(std::numbers::pi / 2.0 * x) + 1.0);
  // gain * amplitude(level * curve) with gain = fullScale /
  // amplitude(fullDb), taken as one relative level so that full scale
  // maps exactly onto itself instead of missing it by the rounding of the
  // stored gain.
  const double magnitude = fullScale * AmplitudeOfDb(level * curve - fullDb * kFullScaleCurve);
  return TruncateToSample(s < 0 ? -magnitude : magnitude);
}

void Expander::Process(int16_t* samples, int length) noexcept {
  const auto compute = [this](int16_t s) { return MapSample(s); };
  for (int i = 0; i < length; ++i) samples[i] = results.Map(samples[i], compute);
}

}  // namespace plimo
