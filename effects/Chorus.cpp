#include "effects/Chorus.h"

#include <algorithm>

#include "dsp/RandomGenerator.h"
#include "effects/SampleConversion.h"

namespace plimo {

namespace {
// Units 0, 4, 8, ... keep the base delay; the others are drawn.
constexpr int kFixedDelayStride = 4;
constexpr float kDelaySpread = 2.0f;  // multiples of unit 0's delay
}  // namespace

Chorus::Chorus(RandomGenerator& generator) : random(generator) {}

void Chorus::SetLevel(float newLevel) { level = newLevel; }

int Chorus::Prepare(float samplingRate, int maxBlockLength) {
  units = std::make_unique<CombUnit[]>(kUnitCount);
  unitCount = kUnitCount;
  int status = 1;
  for (int k = 0; k < unitCount; ++k) {
    CombUnit& unit = units[k];
    unit.Reset();
    if (unit.Prepare(samplingRate) < 0) status = -1;
    if (k % kFixedDelayStride == 0) {
      unit.delay = unit.baseDelay;
    } else {
      const float rho = static_cast<float>(NoiseValue(random));
      unit.delay = (rho * level + kDelaySpread) * units[0].delay;
    }
  }
  for (int k = 0; k < unitCount; ++k) {
    units[k].delay = std::clamp(units[k].delay, 0.0f, kMaxDelaySeconds);
  }
  blockLength = maxBlockLength > 0 && status > 0 ? maxBlockLength : 0;
  accumulator.assign(static_cast<size_t>(blockLength), 0.0f);
  scratch.assign(static_cast<size_t>(blockLength), 0.0f);
  return status;
}

void Chorus::Reset() {
  for (int k = 0; k < unitCount; ++k) units[k].ClearHistory();
}

void Chorus::Process(int16_t* samples, int length) noexcept {
  const int m = std::min(length, blockLength);
  if (m <= 0) return;
  std::fill(accumulator.begin(), accumulator.begin() + m, 0.0f);
  const float share = 1.0f / static_cast<float>(unitCount);
  for (int k = 0; k < unitCount; ++k) {
    units[k].Process(scratch.data(), samples, m);
    for (int i = 0; i < m; ++i) accumulator[i] += share * scratch[i];
  }
  for (int i = 0; i < m; ++i) samples[i] = TruncateToSample(accumulator[i]);
}

}  // namespace plimo
