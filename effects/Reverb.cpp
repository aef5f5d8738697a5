#include "effects/Reverb.h"

#include "effects/SampleConversion.h"

namespace plimo {

void Reverb::SetLevel(float level) {
  unit.Reset();
  unit.gain.store(CombUnit::kDefaultGain, std::memory_order_relaxed);
  const float base = (3.0f * level + 1.0f) * 0.01f;  // seconds
  unit.baseDelay.store(base, std::memory_order_relaxed);
  unit.delay.store(base + 0.015f, std::memory_order_relaxed);
}

void Reverb::Prepare(float samplingRate, int maxBlockLength) {
  unit.Prepare(samplingRate);
  block.assign(static_cast<size_t>(maxBlockLength > 0 ? maxBlockLength : 0),
               0.0f);
}

void Reverb::Process(int16_t* samples, int length, float samplingRate) {
  if (length <= 0) return;
  if (block.size() < static_cast<size_t>(length)) {
    block.resize(static_cast<size_t>(length));
  }
  unit.Process(block.data(), samples, length, samplingRate);
  for (int i = 0; i < length; ++i) samples[i] = TruncateToSample(block[i]);
}

}  // namespace plimo
