#include "params/Equaliser.h"

#include <algorithm>
#include <cmath>

namespace plimo {

namespace {

// Attempts at a consistent snapshot before a frame falls back to the last
// one; a writer's update takes well under a microsecond unless it is
// preempted, and the frame must not wait for the scheduler.
constexpr int kSnapshotAttempts = 64;

bool IsFinite(const float* values, int count) {
  for (int k = 0; k < count; ++k) {
    if (!std::isfinite(values[k])) return false;
  }
  return true;
}

}  // namespace

Equaliser::Snapshot::Snapshot() : count(kDefaultBandCount) {
  std::copy(kDefaultFrequencies, kDefaultFrequencies + kDefaultBandCount, frequencies);
}

Equaliser::Equaliser() { SetBands(kDefaultBandCount, kDefaultFrequencies); }

int Equaliser::SetBands(int count, const float* newFrequencies, const float* newGains) {
  if (count < 0 || count > kMaxBands) return -1;
  if (newFrequencies != nullptr && !IsFinite(newFrequencies, count)) return -1;
  if (newGains != nullptr && !IsFinite(newGains, count)) return -1;

  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  bandCount.store(count, std::memory_order_release);
  for (int k = 0; k < count; ++k) {
    frequencies[k].store(newFrequencies != nullptr ? newFrequencies[k] : 0.0f, std::memory_order_release);
    gains[k].store(newGains != nullptr ? newGains[k] : 0.0f, std::memory_order_release);
  }
  sequence.store(s + 2, std::memory_order_release);
  return 1;
}

int Equaliser::BandCount() const { return bandCount.load(std::memory_order_relaxed); }

float Equaliser::Frequency(int k) const {
  if (k < 0 || k >= BandCount()) return 0.0f;
  return frequencies[k].load(std::memory_order_relaxed);
}

float Equaliser::Gain(int k) const {
  if (k < 0 || k >= BandCount()) return 0.0f;
  return gains[k].load(std::memory_order_relaxed);
}

int Equaliser::SetGain(int k, float gainDb) {
  if (k < 0 || k >= BandCount() || !std::isfinite(gainDb)) return -1;
  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  gains[k].store(gainDb, std::memory_order_release);
  sequence.store(s + 2, std::memory_order_release);
  return 1;
}

int Equaliser::SetFrequency(int k, float frequencyHz) {
  if (k < 0 || k >= BandCount() || !std::isfinite(frequencyHz)) return -1;
  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  frequencies[k].store(frequencyHz, std::memory_order_release);
  sequence.store(s + 2, std::memory_order_release);
  return 1;
}

// The writer stores every band value with release and the closing even
// sequence value with release; reading them with acquire means a value
// from a later update makes the second sequence load see that update too.
bool Equaliser::TakeSnapshot(Snapshot& snapshot) const {
  float f[kMaxBands];
  float g[kMaxBands];
  for (int attempt = 0; attempt < kSnapshotAttempts; ++attempt) {
    const uint32_t before = sequence.load(std::memory_order_acquire);
    if (before & 1u) continue;
    const int count = std::clamp(bandCount.load(std::memory_order_acquire), 0, kMaxBands);
    for (int k = 0; k < count; ++k) {
      f[k] = frequencies[k].load(std::memory_order_acquire);
      g[k] = gains[k].load(std::memory_order_acquire);
    }
    if (sequence.load(std::memory_order_relaxed) != before) continue;
    snapshot.count = count;
    std::copy(f, f + count, snapshot.frequencies);
    std::copy(g, g + count, snapshot.gains);
    return true;
  }
  return false;
}

}  // namespace plimo
