#include "engine/RunGeometry.h"

#include <algorithm>
#include <cmath>

namespace plimo {

namespace {
constexpr int kMinFftSize = 128;
constexpr double kFftSpanSeconds = 0.02;
constexpr int kHzPerLpcOrder = 1000;
constexpr int kExtraLpcOrder = 2;
}  // namespace

int FftSizeFor(int samplingRate) {
  const int span = static_cast<int>(std::floor(kFftSpanSeconds * samplingRate + 0.5));
  int n = kMinFftSize;
  while (2 * span > n) n *= 2;
  return n;
}

int BlockLengthFor(int samplingRate) {
  return static_cast<int>(samplingRate * static_cast<double>(kBlockSeconds));
}

int LpcOrderFor(int samplingRate) { return samplingRate / kHzPerLpcOrder + kExtraLpcOrder; }

int UnvoicedHopFor(int samplingRate) { return static_cast<int>(samplingRate * kFirstHopSeconds); }

int RingSizeFor(int samplingRate) {
  constexpr double kMargin = 2.0;
  const double frameLength = std::floor(kAnalysisFrameSeconds * samplingRate + 0.5);
  const double span = frameLength * (kMaxDurationFactor + 4) + kOutputLagSeconds * samplingRate;
  return std::min(static_cast<int>(std::ceil(kMargin * span)), kRingSize);
}

int SmallestInverseBinCount(int binCount) {
  int bins = static_cast<int>(std::floor(static_cast<float>(binCount) / kMaxPitchFactor + 0.5));
  if (bins % 2 == 0) --bins;
  return bins;
}

}  // namespace plimo
