#include "dsp/Fft.h"

#include "dsp/FftPairing.h"
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

// How many values of that chirp transform a backward-only object giving
// only `outputs` samples needs: as many complex values as those samples
// fill; 0 for all.
int RealChirpOutputs(int n, RealFftUse use, int outputs) {
  if (use != RealFftUse::kBackwardOnly || outputs < 1 || outputs >= n) {
    return 0;
  }
  return n % 2 == 0 ? (outputs + 1) / 2 : outputs;
}

}  // namespace

ComplexFft::ComplexFft(int n) : chirp(NeedsChirp(n) ? n : 0) {
  if (n < 1) {
    return;
  }
  auto* in = ComplexArray(n);
  auto* out = ComplexArray(n);
  // Out of place, because FFTW plans an out-of-place transform about three
  // times faster than an in-place one and runs both equally fast.
  fftw_plan made = nullptr;
  if (in != nullptr && out != nullptr && !NeedsChirp(n)) {
    made = FindPlan(n, PlanKind::kComplexForward, in, out);
  }
  if (in == nullptr || out == nullptr || (made == nullptr && !chirp.Ready())) {
    fftw_free(in);
    fftw_free(out);
    return;
  }
  plan = made;
  input = in;
  output = out;
  length = n;
  ready = true;
}

ComplexFft::~ComplexFft() {
  fftw_free(input);
  fftw_free(output);
}

void ComplexFft::Transform(float* data, int direction) {
  if (!ready) {
    return;
  }
  // The backward transform is conj(forward(conj(x))); the conjugations
  // ride on the copies, and each length needs only one plan, which halves
  // the planning a run does up front.
  const float sign = direction == kFftForward ? 1.0f : -1.0f;
  for (int i = 0; i < length; ++i) {
    input[i] = {data[2 * i], sign * data[2 * i + 1]};
  }
  if (plan != nullptr) {
    fftw_execute_dft(plan, AsFftw(input), AsFftw(output));
  } else {
    chirp.Forward(input, output);
  }
  for (int i = 0; i < length; ++i) {
    data[2 * i] = static_cast<float>(output[i].real());
    data[2 * i + 1] = sign * static_cast<float>(output[i].imag());
  }
}

RealFft::RealFft(int n, RealFftUse use, int outputCount)
    : chirp(RealChirpLength(n), RealChirpOutputs(n, use, outputCount)) {
  if (n < 1) {
    return;
  }
  const bool forward = use != RealFftUse::kBackwardOnly;
  const bool backward = use != RealFftUse::kForwardOnly;
  const int bins = n / 2 + 1;
  if (RealChirpLength(n) > 0) {
    auto* values = ComplexArray(RealChirpLength(n));
    if (values == nullptr || !chirp.Ready()) {
      fftw_free(values);
      return;
    }
    packed = values;
    packedWritten = n;
  } else {
    // FFTW plans a complex transform of half the length in a fiftieth of
    // the time of a real one of the whole (0.02 against 0.8 ms at 1024,
    // 1.4 ms at 2048 points, which was a fifth of a run's set-up), so
    // even lengths go both ways through such a transform and the pairing
    // of its values.
    const bool paired = n % 2 == 0;
    if (paired) {
      const int half = n / 2;
      packed = ComplexArray(half);
      packedWritten = n;
      halfOut = ComplexArray(half);
      turns = ComplexArray(half + 1);
      if (packed == nullptr || halfOut == nullptr || turns == nullptr) return;
      halfPlan = FindPlan(half, PlanKind::kComplexForward, packed, halfOut);
      if (halfPlan == nullptr) return;
      for (int k = 0; k <= half; ++k) {
        const double angle = -std::numbers::pi * k / half;
        turns[k] = {std::cos(angle), std::sin(angle)};
      }
    } else {
      // Only FFTW's real transforms of odd lengths work on these.
      real = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
      realWritten = n;
      spectrum = ComplexArray(bins);
      if (real == nullptr || spectrum == nullptr) return;
      if (forward) {
        forwardPlan = FindPlan(n, PlanKind::kRealForward, real, spectrum);
        if (forwardPlan == nullptr) return;
      }
      if (backward) {
        backwardPlan = FindPlan(n, PlanKind::kRealBackward, spectrum, real);
        if (backwardPlan == nullptr) return;
      }
    }
  }
  length = n;
  outputs = use == RealFftUse::kBackwardOnly && outputCount >= 1 && outputCount < n ? outputCount : n;
  forwardToo = forward;
  backwardToo = backward;
  ready = true;
}

RealFft::~RealFft() {
  fftw_free(real);
  fftw_free(spectrum);
  fftw_free(packed);
  fftw_free(halfOut);
  fftw_free(turns);
}

void RealFft::Forward(const float* x, int count, std::complex<float>* bins) {
  if (!ready || !forwardToo) {
    return;
  }
  count = std::clamp(count, 0, length);
  if (forwardPlan == nullptr) {
    PairedForward(x, count, bins);
    return;
  }
  // FFTW's out-of-place real forward transform leaves its input as it was.
  for (int i = 0; i < count; ++i) {
    real[i] = x[i];
  }
  if (realWritten > count) std::fill(real + count, real + realWritten, 0.0);
  realWritten = count;
  fftw_execute_dft_r2c(forwardPlan, real, AsFftw(spectrum));
  for (int k = 0; k < BinCount(); ++k) {
    bins[k] = {static_cast<float>(spectrum[k].real()), static_cast<float>(spectrum[k].imag())};
  }
}

void RealFft::Backward(const std::complex<float>* bins, float* x) {
  if (!ready || !backwardToo) {
    return;
  }
  if (packed != nullptr) {
    PairedBackward(bins, x);
    return;
  }
  // The backward transform destroys its input, so it runs on a copy; the
  // imaginary parts that a real signal cannot carry are dropped here
  // rather than left to the codelet.
  for (int k = 0; k < BinCount(); ++k) {
    spectrum[k] = {bins[k].real(), bins[k].imag()};
  }
  spectrum[0].imag(0.0);
  if (length % 2 == 0) {
    spectrum[length / 2].imag(0.0);
  }
  fftw_execute_dft_c2r(backwardPlan, AsFftw(spectrum), real);
  realWritten = length;
  for (int i = 0; i < outputs; ++i) {
    x[i] = static_cast<float>(real[i]);
  }
}

// For even n = 2h the samples go in pairs, z[t] = x[2t] + i x[2t + 1], and
// the spectra of the even and odd samples, E[k] = (Z[k] + conj(Z[h - k])) / 2
// and O[k] = (Z[k] - conj(Z[h - k])) / 2i, give X[k] = E[k] + w^k O[k] with
// w = e^(-i 2 pi / n): a transform of half the length.
const std::complex<double>* RealFft::TransformPacked() {
  if (halfPlan != nullptr) {
    fftw_execute_dft(halfPlan, AsFftw(packed), AsFftw(halfOut));
    return halfOut;
  }
  chirp.Forward(packed, packed);
  return packed;
}

void RealFft::PairedForward(const float* x, int count, std::complex<float>* bins) {
  if (length % 2 != 0) {
    for (int t = 0; t < length; ++t) {
      packed[t] = {t < count ? static_cast<double>(x[t]) : 0.0, 0.0};
    }
    chirp.Forward(packed, packed);
    for (int k = 0; k < BinCount(); ++k) {
      bins[k] = {static_cast<float>(packed[k].real()), static_cast<float>(packed[k].imag())};
    }
    return;
  }
  const int half = length / 2;
  const std::complex<double>* twiddles = turns != nullptr ? turns : chirp.HalfTurns();
  // The pairs x[2t] + i x[2t + 1] are the samples in a row, as doubles.
  double* pairs = reinterpret_cast<double*>(packed);
  for (int i = 0; i < count; ++i) {
    pairs[i] = x[i];
  }
  if (packedWritten > count) std::fill(pairs + count, pairs + packedWritten, 0.0);
  packedWritten = count;
  const std::complex<double>* transformed = TransformPacked();
  if (transformed == packed) packedWritten = length;
  const std::complex<double> minusHalfI{0.0, -0.5};
  // Bins 0 and half both pair Z[0] with itself.
  for (int k : {0, half}) {
    const std::complex<double> z = transformed[0];
    const std::complex<double> mirror = std::conj(transformed[0]);
    const std::complex<double> even = 0.5 * (z + mirror);
    const std::complex<double> odd = minusHalfI * (z - mirror);
    const std::complex<double> value = even + twiddles[k] * odd;
    bins[k] = {static_cast<float>(value.real()), static_cast<float>(value.imag())};
  }
  PairForForward(transformed, twiddles, half, bins);
}

// The reverse of ChirpForward's pairing: from the Hermitian spectrum the
// spectra of the even and odd samples, E[k] = X[k] + conj(X[h - k]) and
// O[k] = (X[k] - conj(X[h - k])) w^-k (both twice their size, which the
// unscaled backward transform of half the length wants), and from
// Z = E + i O the pairs x[2t] + i x[2t + 1]. The backward transform is
// conj(forward(conj(Z))).
void RealFft::PairedBackward(const std::complex<float>* bins, float* x) {
  packedWritten = length;
  const int count = BinCount();
  auto bin = [&](int k) {
    // The imaginary parts that a real signal cannot carry are dropped.
    const bool realOnly = k == 0 || (length % 2 == 0 && k == length / 2);
    return std::complex<double>{bins[k].real(), realOnly ? 0.0 : bins[k].imag()};
  };
  if (length % 2 != 0) {
    for (int k = 0; k < count; ++k) {
      packed[k] = std::conj(bin(k));
    }
    for (int k = count; k < length; ++k) {
      packed[k] = bin(length - k);
    }
    chirp.Forward(packed, packed);
    for (int t = 0; t < outputs; ++t) {
      x[t] = static_cast<float>(packed[t].real());
    }
    return;
  }
  const int half = length / 2;
  const std::complex<double>* twiddles = turns != nullptr ? turns : chirp.HalfTurns();
  const std::complex<double> i{0.0, 1.0};
  const std::complex<double> value = bin(0);
  const std::complex<double> mirror = std::conj(bin(half));
  packed[0] = std::conj(value + mirror + i * ((value - mirror) * std::conj(twiddles[0])));
  PairForBackward(bins, twiddles, half, packed);
  const std::complex<double>* transformed = TransformPacked();
  for (int t = 0; t < outputs / 2; ++t) {
    x[2 * t] = static_cast<float>(transformed[t].real());
    x[2 * t + 1] = static_cast<float>(-transformed[t].imag());
  }
  if (outputs % 2 != 0) x[outputs - 1] = static_cast<float>(transformed[outputs / 2].real());
}

}  // namespace plimo
