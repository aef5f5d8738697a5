#include "effects/Reverb.h"

#include <algorithm>

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
  unit.gain = CombUnit::kDefaultGain;
  const float base = (kBaseDelaySpan * level + 1.0f) * kBaseDelayMinSeconds;
  unit.baseDelay = base;
  unit.delay = base + kDelayOffsetSeconds;
}

int Reverb::Prepare(float samplingRate, int maxBlockLength) {
  block.assign(static_cast<size_t>(maxBlockLength > 0 ? maxBlockLength : 0), 0.0f);
  return unit.Prepare(samplingRate);
}

void Reverb::Reset() { unit.ClearHistory(); }

void Reverb::Process(int16_t* samples, int length) noexcept {
  const int m = std::min(length, static_cast<int>(block.size()));
  if (m <= 0) return;
  unit.Process(block.data(), samples, m);
  for (int i = 0; i < m; ++i) samples[i] = TruncateToSample(block[i]);
}

}  // namespace plimo
