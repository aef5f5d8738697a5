#include "dsp/Fft.h"

#include "dsp/FftPlans.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plimo {

namespace {

// The length of the chirp transform a real transform of length n runs on:
// half of it for even n (two real samples per complex value), all of it
// for odd n; 0 where FFTW's own plans serve.
int RealChirpLength(int n) {
  if (!NeedsChirp(n)) {
    return 0;
  }
  return n % 2 == 0 ? n / 2 : n;
}

// Interleaved real and imaginary parts as the complex values they make.
const std::complex<float>* AsComplex(const float* values) {
  return reinterpret_cast<const std::complex<float>*>(values);
}
std::complex<float>* AsComplex(float* values) { return reinterpret_cast<std::complex<float>*>(values); }

}  // namespace

ComplexFft::ComplexFft(int n) : chirp(NeedsChirp(n) ? n : 0) {
  if (n < 1) {
    return;
  }
  if (NeedsChirp(n)) {
    if (!chirp.Ready()) return;
  } else {
    input = ComplexArray(n);
    output = ComplexArray(n);
    if (input == nullptr || output == nullptr) return;
    // Out of place, because FFTW plans an out-of-place transform about three
    // times faster than an in-place one and runs both equally fast.
    plan = FindPlan(n, PlanKind::kComplexForward, input, output);
    if (plan == nullptr) return;
  }
  length = n;
  ready = true;
}

ComplexFft::~ComplexFft() {
  fftwf_free(input);
  fftwf_free(output);
}

void ComplexFft::Transform(float* data, int direction) {
  if (!ready) {
    return;
  }
  std::complex<float>* values = AsComplex(data);
  if (plan == nullptr) {
    if (direction == kFftForward) {
      chirp.Forward(values, values);
    } else {
      chirp.Backward(values, values);
    }
    return;
  }
  // The backward transform is conj(forward(conj(x))); the conjugations
  // ride on the copies the out-of-place plan needs, and each length needs
  // only one plan, which halves the planning a run does up front.
  const float sign = direction == kFftForward ? 1.0f : -1.0f;
  for (int i = 0; i < length; ++i) {
    input[i] = {values[i].real(), sign * values[i].imag()};
  }
  fftwf_execute_dft(plan, AsFftw(input), AsFftw(output));
  for (int i = 0; i < length; ++i) {
    values[i] = {output[i].real(), sign * output[i].imag()};
  }
}

RealFft::RealFft(int n, RealFftUse use) : chirp(RealChirpLength(n)) {
  if (n < 1) {
    return;
  }
  const bool forward = use != RealFftUse::kBackwardOnly;
  const bool backward = use != RealFftUse::kForwardOnly;
  if (RealChirpLength(n) > 0) {
    packed = ComplexArray(RealChirpLength(n));
    if (packed == nullptr || !chirp.Ready()) return;
  } else {
    if (forward) {
      samples = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
      transformed = static_cast<std::complex<double>*>(
          fftw_malloc(sizeof(std::complex<double>) * static_cast<size_t>(n / 2 + 1)));
      if (samples == nullptr || transformed == nullptr) return;
      forwardPlan = FindDoublePlan(n, samples, reinterpret_cast<fftw_complex*>(transformed));
      if (forwardPlan == nullptr) return;
    }
    if (backward && !MakeBackward(n)) return;
  }
  length = n;
  forwardToo = forward;
  backwardToo = backward;
  ready = true;
}

bool RealFft::MakeBackward(int n) {
  real = RealArray(n);
  if (real == nullptr) return false;
  if (n % 2 != 0) {
    spectrum = ComplexArray(n / 2 + 1);
    if (spectrum == nullptr) return false;
    backwardPlan = FindPlan(n, PlanKind::kRealBackward, spectrum, real);
    return backwardPlan != nullptr;
  }
  // FFTW plans a complex transform of half the length about four times
  // faster than a real one of the whole (in single precision 0.06 s
  // against 0.26 s for the 343 inverse lengths of a live run at 48000 Hz,
  // which it plans before its first frame), so even lengths go backward
  // that way, although it runs about 1.7 times slower.
  const int half = n / 2;
  packed = ComplexArray(half);
  turns = ComplexArray(half + 1);
  if (packed == nullptr || turns == nullptr) return false;
  halfPlan = FindPlan(half, PlanKind::kComplexBackward, packed, real);
  if (halfPlan == nullptr) return false;
  for (int k = 0; k <= half; ++k) {
    const double angle = -std::numbers::pi * k / half;
    turns[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
  }
  return true;
}

RealFft::~RealFft() {
  fftw_free(samples);
  fftw_free(transformed);
  fftwf_free(real);
  fftwf_free(spectrum);
  fftwf_free(packed);
  fftwf_free(turns);
}

void RealFft::Forward(const float* x, std::complex<float>* bins) {
  if (!ready || !forwardToo) {
    return;
  }
  if (forwardPlan == nullptr) {
    PairedForward(x, bins);
    return;
  }
  for (int i = 0; i < length; ++i) {
    samples[i] = x[i];
  }
  fftw_execute_dft_r2c(forwardPlan, samples, reinterpret_cast<fftw_complex*>(transformed));
  for (int k = 0; k < BinCount(); ++k) {
    bins[k] = std::complex<float>(transformed[k]);
  }
}

void RealFft::Backward(const std::complex<float>* bins, float* x) {
  if (!ready || !backwardToo) {
    return;
  }
  if (backwardPlan == nullptr) {
    PairedBackward(bins, x);
    return;
  }
  // The backward transform destroys its input, so it runs on a copy; the
  // imaginary parts that a real signal cannot carry are dropped here
  // rather than left to the codelet.
  std::copy(bins, bins + BinCount(), spectrum);
  spectrum[0].imag(0.0f);
  if (length % 2 == 0) {
    spectrum[length / 2].imag(0.0f);
  }
  float* out = PlanAligned(x) ? x : real;
  fftwf_execute_dft_c2r(backwardPlan, AsFftw(spectrum), out);
  if (out != x) {
    std::copy(real, real + length, x);
  }
}

// For even n = 2h the samples go in pairs, z[t] = x[2t] + i x[2t + 1], and
// the spectra of the even and odd samples, E[k] = (Z[k] + conj(Z[h - k])) / 2
// and O[k] = (Z[k] - conj(Z[h - k])) / 2i, give X[k] = E[k] + w^k O[k] with
// w = e^(-i 2 pi / n): a transform of half the length. Only the lengths
// that FFTW's real plan would allocate at come here.
void RealFft::PairedForward(const float* x, std::complex<float>* bins) {
  if (length % 2 != 0) {
    for (int t = 0; t < length; ++t) {
      packed[t] = {x[t], 0.0f};
    }
    chirp.Forward(packed, packed);
    std::copy(packed, packed + BinCount(), bins);
    return;
  }
  const int half = length / 2;
  chirp.Forward(AsComplex(x), packed);
  const std::complex<float>* twiddles = chirp.HalfTurns();
  const std::complex<float> minusHalfI{0.0f, -0.5f};
  for (int k = 0; k <= half; ++k) {
    const std::complex<float> z = packed[k == half ? 0 : k];
    const std::complex<float> mirror = std::conj(packed[k == 0 ? 0 : half - k]);
    const std::complex<float> even = 0.5f * (z + mirror);
    const std::complex<float> odd = minusHalfI * (z - mirror);
    bins[k] = even + twiddles[k] * odd;
  }
}

// The reverse of PairedForward's pairing: from the Hermitian spectrum the
// spectra of the even and odd samples, E[k] = X[k] + conj(X[h - k]) and
// O[k] = (X[k] - conj(X[h - k])) w^-k (both twice their size, which the
// unscaled backward transform of half the length wants), and from
// Z = E + i O the pairs x[2t] + i x[2t + 1], which the backward transform
// writes straight into x. The imaginary parts of bins 0 and n/2, which a
// real signal cannot carry, are dropped.
void RealFft::PairedBackward(const std::complex<float>* bins, float* x) {
  const int count = BinCount();
  if (length % 2 != 0) {
    packed[0] = {bins[0].real(), 0.0f};
    for (int k = 1; k < count; ++k) {
      packed[k] = bins[k];
      packed[length - k] = std::conj(bins[k]);
    }
    chirp.Backward(packed, packed);
    for (int t = 0; t < length; ++t) {
      x[t] = packed[t].real();
    }
    return;
  }
  const int half = length / 2;
  const std::complex<float>* twiddles = turns != nullptr ? turns : chirp.HalfTurns();
  const std::complex<float> i{0.0f, 1.0f};
  const float first = bins[0].real();
  const float last = bins[half].real();
  packed[0] = {first + last, first - last};
  for (int k = 1; k < half; ++k) {
    const std::complex<float> value = bins[k];
    const std::complex<float> mirror = std::conj(bins[half - k]);
    const std::complex<float> even = value + mirror;
    const std::complex<float> odd = (value - mirror) * std::conj(twiddles[k]);
    packed[k] = even + i * odd;
  }
  if (halfPlan == nullptr) {
    chirp.Backward(packed, AsComplex(x));
    return;
  }
  std::complex<float>* out = PlanAligned(x) ? AsComplex(x) : AsComplex(real);
  fftwf_execute_dft(halfPlan, AsFftw(packed), AsFftw(out));
  if (out != AsComplex(x)) {
    std::copy(real, real + length, x);
  }
}

}  // namespace plimo
