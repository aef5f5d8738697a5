#include "effects/Compressor.h"

#include "effects/Decibels.h"
#include "effects/SampleConversion.h"

namespace plimo {

Compressor::Compressor()
    : fullDb(static_cast<float>(SampleLevelDb(static_cast<int16_t>(32767)))),
      floorDb(static_cast<float>(SampleLevelDb(static_cast<int16_t>(5)))) {
  SetThreshold(control1.load(std::memory_order_relaxed),
               control2.load(std::memory_order_relaxed));
}

void Compressor::SetThreshold(float t1, float t2) {
  control1.store(t1, std::memory_order_relaxed);
  control2.store(t2, std::memory_order_relaxed);
  const float a = (1.0f - t1) * 0.59f + 0.01f;
  const float r = t2 * 0.24f + 0.01f;
  const float threshold = a * (fullDb - floorDb) + floorDb;
  const double fullOutDb = (1.0 - r) * fullDb + r * threshold;
  position.store(a, std::memory_order_relaxed);
  ratio.store(r, std::memory_order_relaxed);
  thresholdDb.store(threshold, std::memory_order_relaxed);
  gain.store(static_cast<float>(fullScale / AmplitudeOfDb(fullOutDb)),
             std::memory_order_relaxed);
}

void Compressor::Process(int16_t* samples, int length) const {
  const double r = ratio.load(std::memory_order_relaxed);
  const double threshold = thresholdDb.load(std::memory_order_relaxed);
  const double g = gain.load(std::memory_order_relaxed);
  for (int i = 0; i < length; ++i) {
    const int16_t s = samples[i];
    const double level = SampleLevelDb(s);
    if (level <= threshold) {
      samples[i] = TruncateToSample(s * g);
      continue;
    }
    const double compressed = (1.0 - r) * level + r * threshold;
    const double magnitude = g * AmplitudeOfDb(compressed);
    samples[i] = TruncateToSample(s < 0 ? -magnitude : magnitude);
  }
}

}  // namespace plimo
