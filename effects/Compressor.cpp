#include "effects/Compressor.h"

#include "effects/Decibels.h"
#include "effects/SampleConversion.h"

namespace plimo {

namespace {
// The control maps linearly onto the threshold's position between the
// floor and full-scale levels (high control, low threshold) and onto the
// ratio; both stay clear of 0 so that some compression always remains.
constexpr float kPositionSpan = 0.59f;
constexpr float kPositionMin = 0.01f;
constexpr float kRatioSpan = 0.24f;
constexpr float kRatioMin = 0.01f;
}  // namespace

Compressor::Compressor()
    : fullDb(SampleLevelDb(static_cast<int16_t>(fullScale))),
      floorDb(SampleLevelDb(static_cast<int16_t>(floorAmplitude))) {
  SetThreshold(control1, control2);
}

void Compressor::SetThreshold(float t1, float t2) {
  control1 = t1;
  control2 = t2;
  const float a = (1.0f - t1) * kPositionSpan + kPositionMin;
  const float r = t2 * kRatioSpan + kRatioMin;
  const float threshold = a * (fullDb - floorDb) + floorDb;
  const double fullOutDb = (1.0 - r) * fullDb + r * threshold;
  position = a;
  ratio = r;
  thresholdDb = threshold;
  gain = static_cast<float>(fullScale / AmplitudeOfDb(fullOutDb));
  results.Forget();
}

int Compressor::Prepare(float, int) { return 1; }

int16_t Compressor::MapSample(int16_t s) const {
  const double r = ratio;
  const double threshold = thresholdDb;
  const double level = SampleLevelDb(s);
  if (level <= threshold) return TruncateToSample(s * static_cast<double>(gain));
  // gain * amplitude(compressed), taken relative to the compressed
  // full-scale level so that full scale maps exactly onto itself instead
  // of missing it by the rounding of the stored gain.
  const double fullOutDb = (1.0 - r) * fullDb + r * threshold;
  const double compressed = (1.0 - r) * level + r * threshold;
  const double magnitude = fullScale * AmplitudeOfDb(compressed - fullOutDb);
  return TruncateToSample(s < 0 ? -magnitude : magnitude);
}

void Compressor::Process(int16_t* samples, int length) noexcept {
  const auto compute = [this](int16_t s) { return MapSample(s); };
  for (int i = 0; i < length; ++i) samples[i] = results.Map(samples[i], compute);
}

}  // namespace plimo
