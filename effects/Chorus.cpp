#include "effects/Chorus.h"

#include <algorithm>

#include "effects/SampleConversion.h"
#include "dsp/RandomGenerator.h"

namespace plimo {

namespace {
// Units 0, 4, 8, ... keep the base delay; the others are drawn.
constexpr int kFixedDelayStride = 4;
constexpr float kDelaySpread = 2.0f;  // multiples of unit 0's delay
}  // namespace

void Chorus::SetLevel(float newLevel) {
  level.store(newLevel, std::memory_order_relaxed);
}

int Chorus::Prepare(int newBlockLength, float newSamplingRate,
                    RandomGenerator& random) {
  units = std::make_unique<CombUnit[]>(kUnitCount);
  unitCount = kUnitCount;
  samplingRate = newSamplingRate;
  const float currentLevel = level.load(std::memory_order_relaxed);
  int status = 1;
  for (int k = 0; k < unitCount; ++k) {
    CombUnit& unit = units[k];
    unit.Reset();
    if (unit.Prepare(samplingRate) < 0) status = -1;
    if (k % kFixedDelayStride == 0) {
      unit.delay.store(unit.baseDelay.load(std::memory_order_relaxed),
                       std::memory_order_relaxed);
    } else {
      const float rho = static_cast<float>(NoiseValue(random));
      const float reference = units[0].delay.load(std::memory_order_relaxed);
      unit.delay.store((rho * currentLevel + kDelaySpread) * reference,
                       std::memory_order_relaxed);
    }
  }
  for (int k = 0; k < unitCount; ++k) {
    const float d = units[k].delay.load(std::memory_order_relaxed);
    units[k].delay.store(std::clamp(d, 0.0f, kMaxDelaySeconds),
                         std::memory_order_relaxed);
  }
  blockLength = newBlockLength > 0 && status > 0 ? newBlockLength : 0;
  accumulator.assign(static_cast<size_t>(blockLength), 0.0f);
  scratch.assign(static_cast<size_t>(blockLength), 0.0f);
  return status;
}

void Chorus::Process(int16_t* samples, int length) {
  const int m = std::min(length, blockLength);
  if (m <= 0) return;
  std::fill(accumulator.begin(), accumulator.begin() + m, 0.0f);
  const float share = 1.0f / static_cast<float>(unitCount);
  for (int k = 0; k < unitCount; ++k) {
    units[k].Process(scratch.data(), samples, m, samplingRate);
    for (int i = 0; i < m; ++i) accumulator[i] += share * scratch[i];
  }
  for (int i = 0; i < m; ++i) samples[i] = TruncateToSample(accumulator[i]);
}

}  // namespace plimo
