#include "dsp/FftPairing.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace plimo {

namespace {

[[gnu::always_inline]] inline void PairOneByOne(const std::complex<float>* bins, const std::complex<double>* twiddles,
                                                int first, int half, std::complex<double>* packed) {
  const std::complex<double> i{0.0, 1.0};
  for (int k = first; k < half; ++k) {
    const std::complex<double> value{bins[k].real(), bins[k].imag()};
    const std::complex<double> mirror{bins[half - k].real(), -static_cast<double>(bins[half - k].imag())};
    const std::complex<double> even = value + mirror;
    const std::complex<double> odd = (value - mirror) * std::conj(twiddles[k]);
    packed[k] = std::conj(even + i * odd);
  }
}

void PairPlain(const std::complex<float>* bins, const std::complex<double>* twiddles, int half,
               std::complex<double>* packed) {
  PairOneByOne(bins, twiddles, 1, half, packed);
}

#if defined(__x86_64__)
// Two bins at a time. Each operation is the complex arithmetic's above
// (limited range: re = ac - bd, im = ad + bc, the products by i included),
// rounded the same way, without fused multiply-add (the target is avx2
// alone).
[[gnu::target("avx2")]] void PairInQuads(const std::complex<float>* bins, const std::complex<double>* twiddles,
                                         int half, std::complex<double>* packed) {
  const float* values = reinterpret_cast<const float*>(bins);
  const double* turns = reinterpret_cast<const double*>(twiddles);
  double* out = reinterpret_cast<double*>(packed);
  const __m256d imaginarySigns = _mm256_setr_pd(0.0, -0.0, 0.0, -0.0);
  const __m256d i = _mm256_setr_pd(0.0, 1.0, 0.0, 1.0);
  const __m256d iSwapped = _mm256_setr_pd(1.0, 0.0, 1.0, 0.0);
  int k = 1;
  for (; k + 2 <= half; k += 2) {
    const __m256d value = _mm256_cvtps_pd(_mm_loadu_ps(values + 2 * k));  // X[k], X[k + 1]
    // X[h - k], X[h - k - 1], conjugated.
    const __m256d mirrored = _mm256_cvtps_pd(_mm_loadu_ps(values + 2 * (half - k - 1)));
    const __m256d mirror = _mm256_xor_pd(_mm256_permute4x64_pd(mirrored, 0x4e), imaginarySigns);
    const __m256d even = _mm256_add_pd(value, mirror);
    const __m256d difference = _mm256_sub_pd(value, mirror);
    const __m256d turn = _mm256_xor_pd(_mm256_loadu_pd(turns + 2 * k), imaginarySigns);
    // (a + bi)(c + di) as (ac, ad) -+ (bd, bc).
    const __m256d odd = _mm256_addsub_pd(_mm256_mul_pd(_mm256_movedup_pd(difference), turn),
                                         _mm256_mul_pd(_mm256_permute_pd(difference, 0xf), _mm256_permute_pd(turn, 0x5)));
    const __m256d rotated = _mm256_addsub_pd(_mm256_mul_pd(_mm256_movedup_pd(odd), i),
                                             _mm256_mul_pd(_mm256_permute_pd(odd, 0xf), iSwapped));
    _mm256_storeu_pd(out + 2 * k, _mm256_xor_pd(_mm256_add_pd(even, rotated), imaginarySigns));
  }
  PairOneByOne(bins, twiddles, k, half, packed);
}

using Pairing = void (*)(const std::complex<float>*, const std::complex<double>*, int, std::complex<double>*);

Pairing ChosenPairing() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? PairInQuads : PairPlain;
}
#endif

// With D = Z[k] - conj(Z[half - k]), twiddles[k] O = (w D.im + w' D.re,
// w' D.im - w D.re) / 2 for w = twiddles[k].re, w' = twiddles[k].im; the
// halvings are exact, so halving the sum once gives the same value.
[[gnu::always_inline]] inline std::complex<float> Unpaired(std::complex<double> z, std::complex<double> mirror,
                                                           std::complex<double> twiddle) {
  const double sumRe = z.real() + mirror.real();
  const double sumIm = z.imag() + mirror.imag();
  const double dRe = z.real() - mirror.real();
  const double dIm = z.imag() - mirror.imag();
  const double turnedRe = twiddle.imag() * dRe + twiddle.real() * dIm;
  const double turnedIm = twiddle.imag() * dIm + -(twiddle.real() * dRe);
  return {static_cast<float>(0.5 * (sumRe + turnedRe)), static_cast<float>(0.5 * (sumIm + turnedIm))};
}

[[gnu::always_inline]] inline void UnpairOneByOne(const std::complex<double>* transformed,
                                                  const std::complex<double>* twiddles, int first, int half,
                                                  std::complex<float>* bins) {
  for (int k = first; k < half; ++k) {
    bins[k] = Unpaired(transformed[k], std::conj(transformed[half - k]), twiddles[k]);
  }
}

void UnpairPlain(const std::complex<double>* transformed, const std::complex<double>* twiddles, int half,
                 std::complex<float>* bins) {
  UnpairOneByOne(transformed, twiddles, 1, half, bins);
}

#if defined(__x86_64__)
// Two bins at a time, each operation the one above.
[[gnu::target("avx2")]] void UnpairInQuads(const std::complex<double>* transformed,
                                           const std::complex<double>* twiddles, int half,
                                           std::complex<float>* bins) {
  const double* values = reinterpret_cast<const double*>(transformed);
  const double* turns = reinterpret_cast<const double*>(twiddles);
  float* out = reinterpret_cast<float*>(bins);
  const __m256d imaginarySigns = _mm256_setr_pd(0.0, -0.0, 0.0, -0.0);
  const __m256d halves = _mm256_set1_pd(0.5);
  int k = 1;
  for (; k + 2 <= half; k += 2) {
    const __m256d z = _mm256_loadu_pd(values + 2 * k);  // Z[k], Z[k + 1]
    // Z[h - k], Z[h - k - 1], conjugated.
    const __m256d mirrored = _mm256_loadu_pd(values + 2 * (half - k - 1));
    const __m256d mirror = _mm256_xor_pd(_mm256_permute4x64_pd(mirrored, 0x4e), imaginarySigns);
    const __m256d sum = _mm256_add_pd(z, mirror);
    const __m256d difference = _mm256_sub_pd(z, mirror);
    const __m256d turn = _mm256_loadu_pd(turns + 2 * k);
    // (w D.im, w D.re) and (w' D.re, w' D.im).
    const __m256d byReal = _mm256_mul_pd(_mm256_movedup_pd(turn), _mm256_permute_pd(difference, 0x5));
    const __m256d byImaginary = _mm256_mul_pd(_mm256_permute_pd(turn, 0xf), difference);
    const __m256d turned = _mm256_add_pd(byImaginary, _mm256_xor_pd(byReal, imaginarySigns));
    _mm_storeu_ps(out + 2 * k, _mm256_cvtpd_ps(_mm256_mul_pd(halves, _mm256_add_pd(sum, turned))));
  }
  UnpairOneByOne(transformed, twiddles, k, half, bins);
}

using Unpairing = void (*)(const std::complex<double>*, const std::complex<double>*, int, std::complex<float>*);

Unpairing ChosenUnpairing() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? UnpairInQuads : UnpairPlain;
}
#endif

}  // namespace

void PairForBackward(const std::complex<float>* bins, const std::complex<double>* twiddles, int half,
                     std::complex<double>* packed) {
#if defined(__x86_64__)
  static const Pairing pair = ChosenPairing();
  pair(bins, twiddles, half, packed);
#else
  PairPlain(bins, twiddles, half, packed);
#endif
}

void PairForForward(const std::complex<double>* transformed, const std::complex<double>* twiddles, int half,
                    std::complex<float>* bins) {
#if defined(__x86_64__)
  static const Unpairing unpair = ChosenUnpairing();
  unpair(transformed, twiddles, half, bins);
#else
  UnpairPlain(transformed, twiddles, half, bins);
#endif
}

}  // namespace plimo
