#include "engine/dsp/ChirpTransform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "engine/dsp/FftPlans.h"

namespace plimo {

namespace {

fftw_complex* AsFftw(std::complex<double>* values) {
  return reinterpret_cast<fftw_complex*>(values);
}

std::complex<double>* ComplexArray(int n) {
  return static_cast<std::complex<double>*>(
      fftw_malloc(sizeof(std::complex<double>) * static_cast<size_t>(n)));
}

}  // namespace

// With k t = (k^2 + t^2 - (k - t)^2) / 2, the transform is
// X[k] = c[k] sum_t (x[t] c[t]) conj(c[k - t]) for the chirp
// c[m] = e^(-i pi m^2 / n): a convolution, which a power-of-two transform
// of at least 2n - 1 points carries out without wrapping onto itself.
ChirpTransform::ChirpTransform(int n) {
  if (n < 1) {
    return;
  }
  int m = 1;
  while (m < 2 * n - 1) {
    m *= 2;
  }
  auto* phases = ComplexArray(n);
  auto* transformedKernel = ComplexArray(m);
  auto* in = ComplexArray(m);
  auto* out = ComplexArray(m);
  fftw_plan made = nullptr;
  if (phases != nullptr && transformedKernel != nullptr && in != nullptr &&
      out != nullptr) {
    made = FindPlan(m, PlanKind::kComplexForward, in, out);
  }
  if (made == nullptr) {
    fftw_free(phases);
    fftw_free(transformedKernel);
    fftw_free(in);
    fftw_free(out);
    return;
  }
  // t^2 is reduced modulo 2n first, since the chirp has that period and
  // the angle of a large t^2 would lose its low digits.
  const int64_t period = 2 * static_cast<int64_t>(n);
  for (int t = 0; t < n; ++t) {
    const int64_t square = static_cast<int64_t>(t) * t % period;
    const double angle = -std::numbers::pi * static_cast<double>(square) / n;
    phases[t] = {std::cos(angle), std::sin(angle)};
  }
  // The kernel conj(c[j]) for j = -(n - 1) .. n - 1, negative j wrapped to
  // the end; the inverse transform's 1/m rides on it.
  std::fill(in, in + m, std::complex<double>{});
  const double scale = 1.0 / m;
  in[0] = scale * std::conj(phases[0]);
  for (int j = 1; j < n; ++j) {
    in[j] = scale * std::conj(phases[j]);
    in[m - j] = in[j];
  }
  fftw_execute_dft(made, AsFftw(in), AsFftw(transformedKernel));
  plan = made;
  length = n;
  size = m;
  chirp = phases;
  kernel = transformedKernel;
  work = in;
  product = out;
}

ChirpTransform::~ChirpTransform() {
  fftw_free(chirp);
  fftw_free(kernel);
  fftw_free(work);
  fftw_free(product);
}

void ChirpTransform::Forward(const std::complex<double>* in,
                             std::complex<double>* out) {
  if (plan == nullptr) {
    return;
  }
  for (int t = 0; t < length; ++t) {
    work[t] = in[t] * chirp[t];
  }
  std::fill(work + length, work + size, std::complex<double>{});
  fftw_execute_dft(plan, AsFftw(work), AsFftw(product));
  // The inverse transform of the product is conj(forward(conj(product))),
  // so the one forward plan serves both ways.
  for (int j = 0; j < size; ++j) {
    work[j] = std::conj(product[j] * kernel[j]);
  }
  fftw_execute_dft(plan, AsFftw(work), AsFftw(product));
  for (int k = 0; k < length; ++k) {
    out[k] = chirp[k] * std::conj(product[k]);
  }
}

}  // namespace plimo
