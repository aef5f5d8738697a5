#include "engine/EqualiserCurve.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plimo {

namespace {

// One third as the smoothing passes use it.
constexpr float kThird = 0.33333334f;

// Bit for bit, as the curve is built from the bits.
bool SameBands(const Equaliser::Snapshot& a, const Equaliser::Snapshot& b) {
  const size_t bytes = sizeof(float) * static_cast<size_t>(a.count);
  return a.count == b.count && std::memcmp(a.frequencies, b.frequencies, bytes) == 0 &&
         std::memcmp(a.gains, b.gains, bytes) == 0;
}

}  // namespace

int EqualiserCurve::Prepare(int maxBinCount) {
  if (maxBinCount < 1) return -1;
  const size_t size = static_cast<size_t>(maxBinCount);
  if (curve.size() < size) {
    curve.resize(size);
    shape.resize(size);
  }
  return 1;
}

int EqualiserCurve::BuildEqualiserCurve(const Equaliser& bands, float samplingRate, int newBinCount) {
  if (newBinCount < 1 || !(samplingRate > 0.0f)) return -1;
  bands.TakeSnapshot(snapshot);
  // A steady voice meets the same length frame after frame, and the bands
  // seldom change: the curve already built is then the one asked for.
  if (newBinCount == binCount && samplingRate == builtRate && SameBands(snapshot, builtFrom)) return 1;
  Prepare(newBinCount);
  binCount = newBinCount;
  builtRate = samplingRate;
  builtFrom = snapshot;
  BuildShape(samplingRate, binCount);
  Smooth(binCount);
  return 1;
}

const float* EqualiserCurve::Curve() const { return curve.data(); }

int EqualiserCurve::CurveLength() const { return binCount; }

// The unsmoothed curve: straight lines between the linear gains of
// adjacent band bins, flat below the first band and above the last band
// under half the sampling rate.
void EqualiserCurve::BuildShape(float samplingRate, int bins) {
  float* t = shape.data();
  const int count = snapshot.count;
  if (count == 0) {
    std::fill(t, t + bins, 1.0f);
    return;
  }
  const double nyquist = 0.5 * samplingRate;  // Hz
  int last = -1;
  for (int k = 0; k < count; ++k) {
    linearGains[k] = static_cast<float>(std::pow(10.0, snapshot.gains[k] * 0.05));
    // Bins are kept within [0, bins] so that frequencies from a file can
    // never index outside the curve.
    const double bin = std::floor(snapshot.frequencies[k] / nyquist * bins + 0.5);
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
      t[j] = start + static_cast<float>(j - from) / static_cast<float>(to - from) * rise;
    }
  }
}

// Two three-point passes, forward then backward looking, together a
// five-point 1-2-3-2-1 smoothing away from the ends.
void EqualiserCurve::Smooth(int bins) {
  if (bins < 1) return;
  float* t = shape.data();
  float* c = curve.data();
  for (int j = 0; j + 2 < bins; ++j) c[j] = (t[j] + t[j + 1] + t[j + 2]) * kThird;
  for (int j = std::max(bins - 2, 0); j < bins; ++j) c[j] = t[j];
  std::copy(c, c + bins, t);
  for (int j = 2; j < bins; ++j) c[j] = (t[j - 2] + t[j - 1] + t[j]) * kThird;
}

}  // namespace plimo
