#include "engine/InverseMagnitudes.h"

#include <algorithm>
#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace plimo {

namespace {

// Read as interleaved floats (the layout std::complex guarantees), so that
// the compiler takes the bins two at a time.
void InverseMagnitudesPlain(const float* values, int first, int count, double floor, float* out) {
  for (int k = first; k < count; ++k) {
    const double re = values[2 * k];
    const double im = values[2 * k + 1];
    out[k] = static_cast<float>(1.0 / std::max(std::sqrt(re * re + im * im), floor));
  }
}

#if defined(__x86_64__)
// The square roots and divisions bound this loop; four lanes halve their
// count. Each operation is the plain loop's, rounded the same way (no fused
// multiply-add: the target is avx2 alone).
[[gnu::target("avx2")]] void InverseMagnitudesInQuads(const float* values, int count, double floor, float* out) {
  const __m256d lowest = _mm256_set1_pd(floor);
  const __m256d one = _mm256_set1_pd(1.0);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m256d first = _mm256_cvtps_pd(_mm_loadu_ps(values + 2 * k));       // bins k, k + 1
    const __m256d second = _mm256_cvtps_pd(_mm_loadu_ps(values + 2 * k + 4));  // bins k + 2, k + 3
    // re^2 + im^2 of bins k, k + 2, k + 1, k + 3, put back in order.
    const __m256d squares = _mm256_hadd_pd(_mm256_mul_pd(first, first), _mm256_mul_pd(second, second));
    const __m256d magnitudes = _mm256_sqrt_pd(_mm256_permute4x64_pd(squares, 0xd8));
    // lowest > m ? lowest : m, which is std::max(m, lowest) and keeps a NaN.
    const __m256d limited = _mm256_max_pd(lowest, magnitudes);
    _mm_storeu_ps(out + k, _mm256_cvtpd_ps(_mm256_div_pd(one, limited)));
  }
  InverseMagnitudesPlain(values, k, count, floor, out);
}

void InverseMagnitudesInPairs(const float* values, int count, double floor, float* out) {
  InverseMagnitudesPlain(values, 0, count, floor, out);
}

using Inverses = void (*)(const float*, int, double, float*);

Inverses Chosen() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? InverseMagnitudesInQuads : InverseMagnitudesInPairs;
}
#endif

}  // namespace

void InverseMagnitudes(const std::complex<float>* bins, int count, double floor, float* out) {
  const float* values = reinterpret_cast<const float*>(bins);
#if defined(__x86_64__)
  static const Inverses inverses = Chosen();
  inverses(values, count, floor, out);
#else
  InverseMagnitudesPlain(values, 0, count, floor, out);
#endif
}

}  // namespace plimo
