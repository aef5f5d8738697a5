#include "dsp/Primitives.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace plimo {

namespace {

// Floor of the prediction error: a silent frame would otherwise divide by
// zero in the first reflection coefficient.
constexpr double kMinPredictionError = 1e-37;

// Energy and Mean keep four running sums instead of one, so that the
// additions do not wait on each other; the result can differ from a single
// running sum in its last bit, which moves no rendered sample.
constexpr int kRunningSums = 4;

double Total(const double (&sums)[kRunningSums]) {
  double total = 0.0;
  for (const double sum : sums) total += sum;
  return total;
}

}  // namespace

double Energy(const float* x, int n) {
  double sums[kRunningSums] = {};
  int i = 0;
  for (; i + kRunningSums <= n; i += kRunningSums) {
    for (int k = 0; k < kRunningSums; ++k) sums[k] += static_cast<double>(x[i + k]) * x[i + k];
  }
  for (; i < n; ++i) sums[0] += static_cast<double>(x[i]) * x[i];
  return Total(sums);
}

double Mean(const float* x, int n) {
  if (n < 1) {
    return 0.0;
  }
  double sums[kRunningSums] = {};
  int i = 0;
  for (; i + kRunningSums <= n; i += kRunningSums) {
    for (int k = 0; k < kRunningSums; ++k) sums[k] += x[i + k];
  }
  for (; i < n; ++i) sums[0] += x[i];
  return Total(sums) / n;
}

void Reverse(float* x, int n) {
  for (int i = 0; i < n / 2; ++i) {
    std::swap(x[i], x[n - 1 - i]);
  }
}

float Median(const float* x, int n, float* scratch) {
  if (n < 1) {
    return 0.0f;
  }
  std::copy(x, x + n, scratch);
  // Only the middle element's rank matters, so a partial selection
  // replaces the full sort.
  std::nth_element(scratch, scratch + n / 2, scratch + n);
  return scratch[n / 2];
}

float Median3(float a, float b, float c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

void HammingWindow(float* w, int n) {
  if (n == 1) {
    w[0] = 1.0f;
    return;
  }
  const double step = 2.0 * std::numbers::pi / (n - 1);
  for (int i = 0; i < n; ++i) {
    w[i] = static_cast<float>(0.54 - 0.46 * std::cos(step * i));
  }
}

void Autocorrelation(double* r, const float* x, int p, int n) {
  for (int k = 0; k <= p; ++k) {
    double sum = 0.0;
    for (int i = 0; i < n - k; ++i) {
      sum += static_cast<double>(x[i]) * x[i + k];
    }
    r[k] = sum;
  }
}

double LevinsonDurbin(double* a, const double* r, int p, double* scratch) {
  double error = r[0] < kMinPredictionError ? kMinPredictionError : r[0];
  double* previous = scratch;
  for (int i = 0; i < p; ++i) {
    double acc = 0.0;
    for (int j = 0; j < i; ++j) {
      previous[j] = a[j];
      acc += previous[j] * r[i - j];
    }
    const double k = (r[i + 1] - acc) / error;
    a[i] = k;
    for (int j = 0; j < i; ++j) {
      a[j] = previous[j] - k * previous[i - 1 - j];
    }
    error = (1.0 - k * k) * error;
  }
  return error;
}

namespace {

// t[i] for i = first .. last: s at (i - 1) m-2/q-2 + 1, between the two
// samples around it, the indices clamped into s.
[[gnu::always_inline]] inline void InterpolateOneByOne(const float* s, int m, float* t, int first, int last,
                                                       float ratio) {
  for (int i = first; i <= last; ++i) {
    const float x = static_cast<float>(i - 1) * ratio + 1.0f;
    const int j = static_cast<int>(x);
    const float f = x - static_cast<float>(j);
    const int j1 = std::min(j + 1, m - 1);
    const int j0 = std::clamp(j, 0, m - 1);
    t[i] = (1.0f - f) * s[j0] + f * s[j1];
  }
}

void InterpolatePlain(const float* s, int m, float* t, int q, float ratio) {
  InterpolateOneByOne(s, m, t, 2, q - 2, ratio);
}

#if defined(__x86_64__)
// The samples at base + rel of the sixteen from base, held in two vectors;
// rel is 0 .. 15 in every lane.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256 Pick(__m256 low, __m256 high, __m256i rel) {
  const __m256 fromLow = _mm256_permutevar8x32_ps(low, rel);
  const __m256 fromHigh = _mm256_permutevar8x32_ps(high, rel);
  // Bit 3 of rel (8 .. 15: the high vector) moved to the sign bit.
  return _mm256_blendv_ps(fromLow, fromHigh, _mm256_castsi256_ps(_mm256_slli_epi32(rel, 28)));
}

// Eight outputs at a time. Their samples lie within sixteen of the first
// one's unless the source is over twice the target's length, so they are
// mostly permuted out of two loads, and gathered (slower) otherwise. Each
// operation is the plain loop's, rounded the same way: float
// multiplications and additions kept apart (the target is avx2 alone,
// without fused multiply-add), truncation and int to float conversion as
// static_cast.
[[gnu::target("avx2")]] void InterpolateInOctets(const float* s, int m, float* t, int q, float ratio) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i ones = _mm256_set1_epi32(1);
  const __m256i zeros = _mm256_setzero_si256();
  const __m256i lastIndex = _mm256_set1_epi32(m - 1);
  const __m256i outsideWindow = _mm256_set1_epi32(~15);
  const __m256 ratios = _mm256_set1_ps(ratio);
  const __m256 unit = _mm256_set1_ps(1.0f);
  int i = 2;
  for (; i + 7 <= q - 2; i += 8) {
    const __m256i steps = _mm256_add_epi32(_mm256_set1_epi32(i - 1), lanes);
    const __m256 x = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(steps), ratios), unit);
    const __m256i j = _mm256_cvttps_epi32(x);
    const __m256 f = _mm256_sub_ps(x, _mm256_cvtepi32_ps(j));
    const __m256i j1 = _mm256_min_epi32(_mm256_add_epi32(j, ones), lastIndex);
    const __m256i j0 = _mm256_max_epi32(_mm256_min_epi32(j, lastIndex), zeros);
    const int base = _mm256_cvtsi256_si32(j0);
    const __m256i bases = _mm256_set1_epi32(base);
    const __m256i rel0 = _mm256_sub_epi32(j0, bases);
    const __m256i rel1 = _mm256_sub_epi32(j1, bases);
    __m256 s0;
    __m256 s1;
    if (base + 15 <= m - 1 && _mm256_testz_si256(_mm256_or_si256(rel0, rel1), outsideWindow)) {
      const __m256 low = _mm256_loadu_ps(s + base);
      const __m256 high = _mm256_loadu_ps(s + base + 8);
      s0 = Pick(low, high, rel0);
      s1 = Pick(low, high, rel1);
    } else {
      s0 = _mm256_i32gather_ps(s, j0, sizeof(float));
      s1 = _mm256_i32gather_ps(s, j1, sizeof(float));
    }
    _mm256_storeu_ps(t + i, _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(unit, f), s0), _mm256_mul_ps(f, s1)));
  }
  InterpolateOneByOne(s, m, t, i, q - 2, ratio);
}

using Interpolation = void (*)(const float*, int, float*, int, float);

Interpolation ChosenInterpolation() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? InterpolateInOctets : InterpolatePlain;
}
#endif

}  // namespace

int LinearResample(const float* s, int m, float* t, int q) {
  if (q < 1) {
    return q;
  }
  if (m < 1) {
    std::fill(t, t + q, 0.0f);
    return q;
  }
  // The first two and the last samples are copied; for very short arrays
  // the copies are clamped so that nothing outside s or t is touched.
  t[0] = s[0];
  if (q > 1) {
    t[1] = s[std::min(1, m - 1)];
  }
  t[q - 1] = s[m - 1];
  if (q - 1 <= 2) {
    return q;
  }
  const float ratio = static_cast<float>(m - 2) / static_cast<float>(q - 2);
#if defined(__x86_64__)
  static const Interpolation interpolate = ChosenInterpolation();
  interpolate(s, m, t, q, ratio);
#else
  InterpolatePlain(s, m, t, q, ratio);
#endif
  return q;
}

namespace {

// Each output waits on the one before it, so the feedback terms are taken
// oldest first: the newest output's term comes last, and the earlier ones
// are summed while it is still being computed.
double DirectFormSum(const float* b, int nb, const float* a, int na, const float* x, const float* y, int i) {
  double sum = 0.0;
  const int lastB = std::min(i, nb - 1);
  for (int k = 0; k <= lastB; ++k) {
    sum += static_cast<double>(b[k]) * x[i - k];
  }
  const int lastA = std::min(i, na - 1);
  for (int k = lastA; k >= 1; --k) {
    sum -= static_cast<double>(a[k]) * y[i - k];
  }
  return sum;
}

// The outputs from `first` on of a filter with kTaps numerator and
// denominator values, once every tap reaches back into the signal. The
// last inputs and outputs ride in registers instead of being stored and
// reloaded for every output, which shortens the wait of each output on
// the one before it; the sums keep the direct form's order, so the
// results are the same to the bit.
template <int kTaps>
void FilterSteadyState(const float* b, const float* a, const float* x, float* y, int first, int n) {
  double numerator[kTaps];
  double denominator[kTaps];
  double inputs[kTaps];   // before output i: x[i - 1 - k]
  double outputs[kTaps];  // before output i: y[i - k], from k = 1
#pragma GCC unroll 8
  for (int k = 0; k < kTaps; ++k) {
    numerator[k] = b[k];
    denominator[k] = a[k];
    inputs[k] = x[first - 1 - k];
    outputs[k] = k > 0 ? y[first - k] : 0.0;
  }
  for (int i = first; i < n; ++i) {
#pragma GCC unroll 8
    for (int k = kTaps - 1; k > 0; --k) inputs[k] = inputs[k - 1];
    inputs[0] = x[i];
    double sum = 0.0;
#pragma GCC unroll 8
    for (int k = 0; k < kTaps; ++k) sum += numerator[k] * inputs[k];
#pragma GCC unroll 8
    for (int k = kTaps - 1; k >= 1; --k) sum -= denominator[k] * outputs[k];
    const float out = static_cast<float>(sum);
    y[i] = out;
#pragma GCC unroll 8
    for (int k = kTaps - 1; k > 1; --k) outputs[k] = outputs[k - 1];
    outputs[1] = out;
  }
}

// The pitch tracker's low-pass filters: 7 numerator and 7 denominator values.
constexpr int kSixthOrderTaps = 7;

}  // namespace

void Filter(const float* b, int nb, const float* a, int na, float* x, int n, float* scratch) {
  float* y = scratch;
  const bool sixthOrder = nb == kSixthOrderTaps && na == kSixthOrderTaps;
  // Until every tap reaches back into the signal, the sums are shorter.
  const int head = sixthOrder ? std::min(n, kSixthOrderTaps) : n;
  for (int i = 0; i < head; ++i) {
    y[i] = static_cast<float>(DirectFormSum(b, nb, a, na, x, y, i));
  }
  // Its registers start from the last full set of taps, which a signal no
  // longer than the taps does not have.
  if (sixthOrder && n > head) {
    FilterSteadyState<kSixthOrderTaps>(b, a, x, y, head, n);
  }
  std::copy(y, y + n, x);
}

}  // namespace plimo
