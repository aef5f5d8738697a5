#include "engine/PitchTracker.h"

#include <algorithm>
#include <cmath>

#include "dsp/Primitives.h"
#include "engine/PitchFilterTable.h"

namespace plimo {

namespace {

constexpr int kDecimatedRate = 1000;  // Hz, nominal rate of the decimated path
constexpr int kDecimatedMinLag = 2;   // decimated samples: 500 Hz
constexpr int kDecimatedMaxLag = 20;  // decimated samples: 50 Hz
// The lag range constants are single precision; the product is formed in
// double, which puts the upper lag at 12000 Hz at 239, not 240.
constexpr float kMinLagSeconds = 0.002f;
constexpr float kMaxLagSeconds = 0.02f;
constexpr double kVoicedF0 = 10.0;          // Hz; below it a frame is unvoiced
constexpr float kHysteresisBand = 0.1f;     // strength below the threshold still voiced
constexpr float kHysteresisLift = 0.01f;    // strength given to a remembered frame
constexpr float kEnergyGateMargin = 3.0f;   // log-energy above the quietest frame
constexpr int kOctaveCorrectionAfter = 60;  // voiced frames before correcting
constexpr float kOctaveHigh = 1.5f;
constexpr float kOctaveLow = 0.66f;
constexpr float kSlowWeight = 0.01f;
constexpr float kFastWeight = 0.1f;
constexpr float kSmootherSpread = 10.0f;  // Hz between mean and median

int FilterRowFor(int fs) {
  for (int row = 0; row < kPitchFilterRowCount; ++row) {
    if (kPitchFilterTable[row].samplingRate == fs) return row;
  }
  return -1;
}

// Searches lags minLag .. maxLag of x (n samples) for the largest
// autocorrelation; the smallest lag wins a tie. A peak at either end of the
// range is not trusted and gets strength 0.
// The lags' sums are taken kLagsAtOnce side by side, each in the plain
// order over i: the additions of one lag wait on each other, those of
// different lags do not, so the adders are kept busy and every sum is the
// one-lag-at-a-time sum to the bit.
constexpr int kLagsAtOnce = 8;

int BestLag(const float* x, int n, int minLag, int maxLag, double energy, float* strength) {
  double best = -1e10;
  int bestLag = minLag;
  for (int first = minLag; first <= maxLag; first += kLagsAtOnce) {
    double c[kLagsAtOnce] = {};
    // Where every lag of the group, used or not, still reaches inside x.
    int i = 0;
    for (; i + first + kLagsAtOnce - 1 < n; ++i) {
#pragma GCC unroll 8
      for (int j = 0; j < kLagsAtOnce; ++j) c[j] += static_cast<double>(x[i + first + j]) * x[i];
    }
    const int lags = std::min(kLagsAtOnce, maxLag - first + 1);
    for (int j = 0; j < lags; ++j) {
      const int t = first + j;
      for (int k = i; k + t < n; ++k) c[j] += static_cast<double>(x[k + t]) * x[k];
      if (c[j] > best) {
        best = c[j];
        bestLag = t;
      }
    }
  }
  bool atEdge = bestLag == minLag || bestLag == maxLag;
  // An all-zero buffer has no periodicity; dividing would give NaN.
  *strength = (atEdge || energy <= 0.0) ? 0.0f : static_cast<float>(best / energy);
  return bestLag;
}

}  // namespace

PitchTracker::PitchTracker() { Reset(); }

void PitchTracker::Reset() {
  voicedFrameCount = 0;
  minLogEnergy = 10.0f;
  previousStrength = 0.0f;
  strengthBefore = 0.0f;
  slowAverage = 150.0f;
  fastAverage = 150.0f;
  history[0] = history[1] = history[2] = 0.0f;
  threshold = 0.2f;
}

void PitchTracker::ConfigurePitchTracker(int fs, double frameSeconds, double hopSeconds) {
  samplingRate = fs;
  decimatedRate = kDecimatedRate;
  frameLength = static_cast<int>(std::floor(frameSeconds * fs + 0.5));
  decimatedFrameLength = static_cast<int>(std::floor(frameSeconds * kDecimatedRate + 0.5));
  hop = static_cast<int>(std::floor(hopSeconds * fs + 0.5));
  minLag = static_cast<int>(fs * static_cast<double>(kMinLagSeconds));
  maxLag = std::min(static_cast<int>(fs * static_cast<double>(kMaxLagSeconds)), frameLength);
  decimatedMinLag = kDecimatedMinLag;
  decimatedMaxLag = std::min(kDecimatedMaxLag, decimatedFrameLength);
  const int row = FilterRowFor(fs);
  decimatedPath = row >= 0;
  if (decimatedPath) {
    const PitchFilterRow& filter = kPitchFilterTable[row];
    lowPass.Configure(filter.b, filter.a, static_cast<int>(std::floor(fs / 1000.0 + 0.5)));
  }
  decimated.assign(static_cast<size_t>(std::max(decimatedFrameLength, 40)), 0.0f);
}

float PitchTracker::EstimateDecimated(const float* x, float* strength, double* energy) {
  const int count = decimatedFrameLength;
  lowPass.Run(x, frameLength, decimated.data(), count);

  double e = 0.0;
  for (int j = 0; j < count; ++j) e += static_cast<double>(decimated[j]) * decimated[j];
  *energy = e;
  int lag = BestLag(decimated.data(), count, decimatedMinLag, decimatedMaxLag, e, strength);
  return static_cast<float>(kDecimatedRate) / static_cast<float>(lag);
}

float PitchTracker::EstimateFullRate(const float* x, float* strength, double* energy) {
  *energy = Energy(x, frameLength);
  if (minLag < 1 || maxLag < minLag) {
    *strength = 0.0f;
    return 0.0f;
  }
  int lag = BestLag(x, frameLength, minLag, maxLag, *energy, strength);
  return static_cast<float>(samplingRate) / static_cast<float>(lag);
}

float PitchTracker::EstimatePitch(const float* x) {
  if (frameLength < 1) return 0.0f;

  float v = 0.0f;
  double energy = 0.0;
  float f0 = decimatedPath ? EstimateDecimated(x, &v, &energy) : EstimateFullRate(x, &v, &energy);

  // Voicing with hysteresis: a weak frame after two voiced ones stays voiced,
  // and a single weak frame between voiced ones is remembered as voiced.
  const float t = threshold;
  if (v <= t) {
    if (v > t - kHysteresisBand && previousStrength > t && strengthBefore > t) {
      v = t + kHysteresisLift;
    }
  } else if (previousStrength < t && strengthBefore > t) {
    previousStrength = t + kHysteresisLift;
  }
  if (v < t) f0 = 0.0f;

  // Energy gate relative to the quietest frame seen so far.
  const float logEnergy = static_cast<float>(std::log(energy / frameLength + 1.0));
  if (logEnergy < minLogEnergy) minLogEnergy = logEnergy;
  if (logEnergy < minLogEnergy + kEnergyGateMargin) f0 = 0.0f;

  strengthBefore = previousStrength;
  previousStrength = v;

  if (f0 > kVoicedF0) {
    ++voicedFrameCount;
    if (voicedFrameCount > kOctaveCorrectionAfter) {
      if (f0 > kOctaveHigh * slowAverage && f0 > kOctaveHigh * fastAverage) f0 *= 0.5f;
      if (f0 < kOctaveLow * slowAverage && f0 < kOctaveLow * fastAverage) f0 *= 2.0f;
    }
    if (f0 > kVoicedF0) {
      slowAverage = (1.0f - kSlowWeight) * slowAverage + kSlowWeight * f0;
      fastAverage = (1.0f - kFastWeight) * fastAverage + kFastWeight * f0;
    }
  }

  // Three-frame smoother: the weighted mean when it is close to the median,
  // else the median, so a lone voiced frame is suppressed.
  history[2] = f0;
  const float median = Median3(history[0], history[1], history[2]);
  const float mean = 0.5f * history[2] + 0.25f * (history[0] + history[1]);
  const float result = std::fabs(mean - median) < kSmootherSpread ? mean : median;
  history[0] = history[1];
  history[1] = history[2];
  return result;
}

}  // namespace plimo
