#include "effects/Reverb.h"

#include "effects/SampleConversion.h"

namespace plimo {

namespace {
// The base delay runs from 10 ms at level 0 to 40 ms at level 1; the delay
// used adds a fixed 15 ms.
constexpr float kBaseDelayMinSeconds = 0.01f;
constexpr float kBaseDelaySpan = 3.0f;  // multiples of the minimum
constexpr float kDelayOffsetSeconds = 0.015f;
}  // namespace

void Reverb::SetLevel(float level) {
  unit.Reset();
  unit.gain.store(CombUnit::kDefaultGain, std::memory_order_relaxed);
  const float base = (kBaseDelaySpan * level + 1.0f) * kBaseDelayMinSeconds;
  unit.baseDelay.store(base, std::memory_order_relaxed);
  unit.delay.store(base + kDelayOffsetSeconds, std::memory_order_relaxed);
}

int Reverb::Prepare(float samplingRate, int maxBlockLength) {
  block.assign(static_cast<size_t>(maxBlockLength > 0 ? maxBlockLength : 0),
               0.0f);
  return unit.Prepare(samplingRate);
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
