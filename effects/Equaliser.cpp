#include "effects/Equaliser.h"

#include <algorithm>
#include <cmath>

namespace plimo {

namespace {

// Attempts at a consistent snapshot before a frame falls back to the last
// one; a writer's update takes well under a microsecond unless it is
// preempted, and the frame must not wait for the scheduler.
constexpr int kSnapshotAttempts = 64;

// One third as the smoothing passes use it.
constexpr float kThird = 0.33333334f;

bool IsFinite(const float* values, int count) {
  for (int k = 0; k < count; ++k) {
    if (!std::isfinite(values[k])) return false;
  }
  return true;
}

}  // namespace

Equaliser::Equaliser() {
  SetBands(kDefaultBandCount, kDefaultFrequencies);
  TakeSnapshot();
}

int Equaliser::SetBands(int count, const float* newFrequencies,
                        const float* newGains) {
  if (count < 0 || count > kMaxBands) return -1;
  if (newFrequencies != nullptr && !IsFinite(newFrequencies, count)) return -1;
  if (newGains != nullptr && !IsFinite(newGains, count)) return -1;

  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  bandCount.store(count, std::memory_order_release);
  for (int k = 0; k < count; ++k) {
    frequencies[k].store(newFrequencies != nullptr ? newFrequencies[k] : 0.0f,
                         std::memory_order_release);
    gains[k].store(newGains != nullptr ? newGains[k] : 0.0f,
                   std::memory_order_release);
  }
  sequence.store(s + 2, std::memory_order_release);
  return 1;
}

int Equaliser::BandCount() const {
  return bandCount.load(std::memory_order_relaxed);
}

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

int Equaliser::ReserveCurve(int maxBinCount) {
  if (maxBinCount < 1) return -1;
  const size_t size = static_cast<size_t>(maxBinCount);
  if (curve.size() < size) {
    curve.resize(size);
    shape.resize(size);
  }
  return 1;
}

int Equaliser::BuildEqualiserCurve(float samplingRate, int newBinCount) {
  if (newBinCount < 1 || !(samplingRate > 0.0f)) return -1;
  ReserveCurve(newBinCount);
  binCount = newBinCount;
  TakeSnapshot();
  BuildShape(samplingRate, binCount);
  Smooth(binCount);
  return 1;
}

const float* Equaliser::Curve() const { return curve.data(); }

int Equaliser::CurveLength() const { return binCount; }

// The writer stores every band value with release and the closing even
// sequence value with release; reading them with acquire means a value
// from a later update makes the second sequence load see that update too.
void Equaliser::TakeSnapshot() {
  float f[kMaxBands];
  float g[kMaxBands];
  for (int attempt = 0; attempt < kSnapshotAttempts; ++attempt) {
    const uint32_t before = sequence.load(std::memory_order_acquire);
    if (before & 1u) continue;
    const int count =
        std::clamp(bandCount.load(std::memory_order_acquire), 0, kMaxBands);
    for (int k = 0; k < count; ++k) {
      f[k] = frequencies[k].load(std::memory_order_acquire);
      g[k] = gains[k].load(std::memory_order_acquire);
    }
    if (sequence.load(std::memory_order_relaxed) != before) continue;
    snapshotCount = count;
    std::copy(f, f + count, snapshotFrequencies);
    std::copy(g, g + count, snapshotGains);
    return;
  }
}

// The unsmoothed curve: straight lines between the linear gains of
// adjacent band bins, flat below the first band and above the last band
// under half the sampling rate.
void Equaliser::BuildShape(float samplingRate, int bins) {
  float* t = shape.data();
  const int count = snapshotCount;
  if (count == 0) {
    std::fill(t, t + bins, 1.0f);
    return;
  }
  const double nyquist = 0.5 * samplingRate;  // Hz
  int last = -1;
  for (int k = 0; k < count; ++k) {
    linearGains[k] =
        static_cast<float>(std::pow(10.0, snapshotGains[k] * 0.05));
    // Bins are kept within [0, bins] so that frequencies from a file can
    // never index outside the curve.
    const double bin =
        std::floor(snapshotFrequencies[k] / nyquist * bins + 0.5);
    if (!(bin < bins)) {
      bandBins[k] = bins;
    } else {
      bandBins[k] = bin < 0.0 ? 0 : static_cast<int>(bin);
      last = k;
    }
  }
  // Bands out of order leave gaps between their bins; those take the
  // first band's gain, as does everything when no band is below Nyquist.
  std::fill(t, t + bins, linearGains[0]);
  if (last < 0) return;
  std::fill(t + bandBins[last], t + bins, linearGains[last]);
  for (int k = 1; k <= last; ++k) {
    const int from = bandBins[k - 1];
    const int to = bandBins[k];
    const float start = linearGains[k - 1];
    const float rise = linearGains[k] - start;
    for (int j = from; j < to; ++j) {
      t[j] = start + static_cast<float>(j - from) /
                         static_cast<float>(to - from) * rise;
    }
  }
}

// Two three-point passes, forward then backward looking, together a
// five-point 1-2-3-2-1 smoothing away from the ends.
void Equaliser::Smooth(int bins) {
  if (bins < 1) return;
  float* t = shape.data();
  float* c = curve.data();
  for (int j = 0; j + 2 < bins; ++j)
    c[j] = (t[j] + t[j + 1] + t[j + 2]) * kThird;
  for (int j = std::max(bins - 2, 0); j < bins; ++j) c[j] = t[j];
  std::copy(c, c + bins, t);
  for (int j = 2; j < bins; ++j) c[j] = (t[j - 2] + t[j - 1] + t[j]) * kThird;
}

}  // namespace plimo
