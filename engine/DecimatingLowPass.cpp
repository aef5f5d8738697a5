#include "engine/DecimatingLowPass.h"

#include <algorithm>
#include <cstddef>

namespace plimo {

namespace {

constexpr int kOrder = DecimatingLowPass::kOrder;

// One sample of the transposed direct form with no input: the output is
// the first state value, and each value takes the next one less its share
// of the output.
void AdvanceWithoutInput(const float* a, double* s) {
  const double y = s[0];
  for (int r = 0; r + 1 < kOrder; ++r) s[r] = s[r + 1] - static_cast<double>(a[r + 1]) * y;
  s[kOrder - 1] = -static_cast<double>(a[kOrder]) * y;
}

}  // namespace

void DecimatingLowPass::Configure(const float* b, const float* a, int stepSamples) {
  step = std::max(stepSamples, 1);
  direct = b[0];
  blockInput.assign(static_cast<size_t>(step) * kOrder, 0.0);
  // A unit input at the last position of a block leaves the state b - a b[0];
  // one position earlier, that state one sample further on.
  double impulse[kOrder];
  for (int r = 0; r < kOrder; ++r) {
    impulse[r] = static_cast<double>(b[r + 1]) - static_cast<double>(a[r + 1]) * direct;
  }
  for (int k = step - 1; k >= 0; --k) {
    for (int r = 0; r < kOrder; ++r) blockInput[static_cast<size_t>(r) * step + k] = impulse[r];
    AdvanceWithoutInput(a, impulse);
  }
  for (int c = 0; c < kOrder; ++c) {
    double s[kOrder] = {};
    s[c] = 1.0;
    for (int k = 0; k < step; ++k) AdvanceWithoutInput(a, s);
    for (int r = 0; r < kOrder; ++r) blockState[r][c] = s[r];
  }
}

void DecimatingLowPass::Run(const float* x, int n, float* y, int count) const {
  // Output j * step reads inputs up to j * step only, so every block the
  // kept outputs need lies whole inside the signal.
  const int kept = n < 1 ? 0 : std::clamp((n - 1) / step + 1, 0, std::max(count, 0));
  double s[kOrder] = {};
  if (kept > 0) y[0] = static_cast<float>(direct * x[0]);
  for (int j = 1; j < kept; ++j) {
    const float* block = x + static_cast<ptrdiff_t>(j - 1) * step;
    // Sums of the even and the odd positions apart, so that each pair of
    // inputs is one vector operation per state value.
    double pairs[kOrder][2] = {};
    int k = 0;
    for (; k + 1 < step; k += 2) {
      const double x0 = block[k];
      const double x1 = block[k + 1];
#pragma GCC unroll 6
      for (int r = 0; r < kOrder; ++r) {
        const double* m = blockInput.data() + static_cast<size_t>(r) * step + k;
        pairs[r][0] += m[0] * x0;
        pairs[r][1] += m[1] * x1;
      }
    }
    if (k < step) {
#pragma GCC unroll 6
      for (int r = 0; r < kOrder; ++r)
        pairs[r][0] += blockInput[static_cast<size_t>(r) * step + k] * block[k];
    }
    double next[kOrder];
#pragma GCC unroll 6
    for (int r = 0; r < kOrder; ++r) {
      double sum = pairs[r][0] + pairs[r][1];
#pragma GCC unroll 6
      for (int c = 0; c < kOrder; ++c) sum += blockState[r][c] * s[c];
      next[r] = sum;
    }
    std::copy(next, next + kOrder, s);
    y[j] = static_cast<float>(s[0] + direct * x[static_cast<ptrdiff_t>(j) * step]);
  }
  std::fill(y + kept, y + std::max(count, kept), 0.0f);
}

}  // namespace plimo
