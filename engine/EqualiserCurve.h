#pragma once

#include <vector>

#include "params/Equaliser.h"

namespace plimo {

// The equaliser applied to each frame's spectrum: the bands' gains in dB at
// their centre frequencies become a smoothed linear gain per spectrum bin.
// It belongs to the processing thread; the bands reach it through
// Equaliser's lock-free snapshot.
class EqualiserCurve {
 public:
  EqualiserCurve() = default;
  virtual ~EqualiserCurve() = default;

  EqualiserCurve(const EqualiserCurve&) = delete;
  EqualiserCurve& operator=(const EqualiserCurve&) = delete;

  // Sizes the curve and its working array for up to maxBinCount bins so
  // that building curves of that size allocates nothing. Call once per run.
  // -1 for maxBinCount < 1.
  int Prepare(int maxBinCount);

  // Rebuilds the curve from a snapshot of bands for a spectrum of binCount
  // bins spanning 0 to samplingRate / 2. Bands at or above half the
  // sampling rate are ignored; when none lies below it the curve is flat at
  // the first band's gain (1.0 with no bands). Allocates only when binCount
  // exceeds what Prepare sized. Returns 1, or -1 for binCount < 1 or
  // samplingRate not positive (the curve is then left as it was).
  int BuildEqualiserCurve(const Equaliser& bands, float samplingRate, int binCount);

  // The curve of the last successful build, CurveLength() values.
  const float* Curve() const;
  int CurveLength() const;

 private:
  void BuildShape(float samplingRate, int binCount);
  void Smooth(int binCount);

  Equaliser::Snapshot snapshot;
  float linearGains[Equaliser::kMaxBands] = {};
  int bandBins[Equaliser::kMaxBands] = {};
  std::vector<float> curve;
  std::vector<float> shape;  // the unsmoothed curve, then the first pass
  int binCount = 0;
  // What the curve was built from.
  float builtRate = 0.0f;  // Hz
  Equaliser::Snapshot builtFrom;
};

}  // namespace plimo
