// The pitch tracker's block-wise low-pass against the difference equation
// it stands for.

#include "engine/DecimatingLowPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "engine/PitchFilterTable.h"
#include "support/Signals.h"

namespace plimo {
namespace {

// The direct form with its outputs kept in double. The float outputs of
// dsp's Filter are fed back rounded, and the poles near 1 of the higher
// rates' filters raise that rounding to parts in a thousand, too coarse
// to check a rounding-level agreement against.
std::vector<double> DirectForm(const PitchFilterRow& filter, const std::vector<float>& x, int n) {
  std::vector<double> y(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double sum = 0.0;
    for (int k = 0; k <= std::min(i, 6); ++k) sum += static_cast<double>(filter.b[k]) * x[i - k];
    for (int k = 1; k <= std::min(i, 6); ++k) sum -= static_cast<double>(filter.a[k]) * y[i - k];
    y[i] = sum;
  }
  return y;
}

TEST(DecimatingLowPass, KeptOutputsAreTheDirectFormsForEveryRateAndLength) {
  constexpr int kCount = 40;           // outputs asked for, as in a 40 ms frame
  constexpr double kPeak = 20000.0;    // 16-bit sample units
  constexpr double kTolerance = 1e-6;  // of the peak: float rounding of the outputs
  for (const PitchFilterRow& filter : kPitchFilterTable) {
    const int step = static_cast<int>(std::floor(filter.samplingRate / 1000.0 + 0.5));
    // A voice-like tone under noise, rounded to whole sample units.
    std::vector<float> x = test::Tone(130.0, 0.6 * kPeak, filter.samplingRate, (kCount + 1) * step);
    RandomGenerator random(5);
    for (float& v : x) v = std::round(v + static_cast<float>(0.6 * kPeak * NoiseValue(random)));
    DecimatingLowPass lowPass;
    lowPass.Configure(filter.b, filter.a, step);
    // Longer than the kept outputs reach, ending inside a block at an odd
    // length, shorter than one block, a single sample.
    for (const int n : {(kCount + 1) * step, 17 * step + 5, step - 1, 1}) {
      const std::vector<double> expected = DirectForm(filter, x, n);
      std::vector<float> y(kCount, -1.0f);
      lowPass.Run(x.data(), n, y.data(), kCount);
      for (int j = 0; j < kCount; ++j) {
        const int source = j * step;
        const double want = source < n ? expected[static_cast<size_t>(source)] : 0.0;
        EXPECT_NEAR(y[j], want, kTolerance * kPeak)
            << filter.samplingRate << " Hz, n " << n << ", output " << j;
      }
    }
  }
}

}  // namespace
}  // namespace plimo
