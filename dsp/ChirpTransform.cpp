#include "dsp/ChirpTransform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <numbers>

#include "dsp/FftPlans.h"

namespace plimo {

namespace {

int ConvolutionSize(int n) {
  int m = 1;
  while (m < 2 * n - 1) {
    m *= 2;
  }
  return m;
}

// The read-only tables of one length.
struct ChirpTables {
  std::complex<float>* chirp = nullptr;
  std::complex<float>* kernel = nullptr;
  std::complex<float>* halfTurns = nullptr;
};

// e^(-i pi m / n), the angle taken in double precision.
std::complex<double> Turn(int64_t m, int n) {
  const double angle = -std::numbers::pi * static_cast<double>(m) / n;
  return {std::cos(angle), std::sin(angle)};
}

// With k t = (k^2 + t^2 - (k - t)^2) / 2, the transform is
// X[k] = c[k] sum_t (x[t] c[t]) conj(c[k - t]) for the chirp
// c[m] = e^(-i pi m^2 / n): a convolution, which a power-of-two transform
// of at least 2n - 1 points carries out without wrapping onto itself.
// work and transformed hold m values each, so the kernel is transformed
// between the arrays the plan was made for; false when an array cannot be had.
bool MakeTables(int n, int m, fftwf_plan plan, std::complex<float>* work, std::complex<float>* transformed,
                ChirpTables& tables) {
  tables.chirp = ComplexArray(n);
  tables.kernel = ComplexArray(m);
  tables.halfTurns = ComplexArray(n + 1);
  if (tables.chirp == nullptr || tables.kernel == nullptr || tables.halfTurns == nullptr) {
    fftwf_free(tables.chirp);
    fftwf_free(tables.kernel);
    fftwf_free(tables.halfTurns);
    return false;
  }
  // The kernel conj(c[j]) for j = -(n - 1) .. n - 1, negative j wrapped to
  // the end; the inverse transform's 1/m rides on it. t^2 is reduced
  // modulo 2n first, since the chirp has that period and the angle of a
  // large t^2 would lose its low digits.
  std::fill(work, work + m, std::complex<float>{});
  const double scale = 1.0 / m;
  const int64_t period = 2 * static_cast<int64_t>(n);
  for (int t = 0; t < n; ++t) {
    const std::complex<double> chirp = Turn(static_cast<int64_t>(t) * t % period, n);
    tables.chirp[t] = std::complex<float>(chirp);
    work[t] = std::complex<float>(scale * std::conj(chirp));
    if (t > 0) work[m - t] = work[t];
  }
  for (int k = 0; k <= n; ++k) {
    tables.halfTurns[k] = std::complex<float>(Turn(k, n));
  }
  fftwf_execute_dft(plan, AsFftw(work), AsFftw(transformed));
  std::copy(transformed, transformed + m, tables.kernel);
  return true;
}

// Tables of every length met so far, made under the lock and never torn
// down, so that a run's set-up computes no chirp twice.
bool SharedTables(int n, int m, fftwf_plan plan, std::complex<float>* work, std::complex<float>* product,
                  ChirpTables& found) {
  static std::mutex& mutex = *new std::mutex;
  static auto& tables = *new std::map<int, ChirpTables>;
  std::lock_guard<std::mutex> lock(mutex);
  auto at = tables.find(n);
  if (at == tables.end()) {
    ChirpTables made;
    if (!MakeTables(n, m, plan, work, product, made)) return false;
    at = tables.emplace(n, made).first;
  }
  found = at->second;
  return true;
}

}  // namespace

ChirpTransform::ChirpTransform(int n) {
  if (n < 1) {
    return;
  }
  const int m = ConvolutionSize(n);
  auto* in = ComplexArray(m);
  auto* out = ComplexArray(m);
  fftwf_plan made = nullptr;
  ChirpTables tables;
  if (in != nullptr && out != nullptr) {
    made = FindPlan(m, PlanKind::kComplexForward, in, out);
  }
  if (made == nullptr || !SharedTables(n, m, made, in, out, tables)) {
    fftwf_free(in);
    fftwf_free(out);
    return;
  }
  plan = made;
  length = n;
  size = m;
  chirp = tables.chirp;
  kernel = tables.kernel;
  halfTurns = tables.halfTurns;
  work = in;
  product = out;
}

ChirpTransform::~ChirpTransform() {
  fftwf_free(work);
  fftwf_free(product);
}

template <bool kBackward>
void ChirpTransform::Run(const std::complex<float>* in, std::complex<float>* out) {
  if (plan == nullptr) {
    return;
  }
  for (int t = 0; t < length; ++t) {
    work[t] = (kBackward ? std::conj(in[t]) : in[t]) * chirp[t];
  }
  std::fill(work + length, work + size, std::complex<float>{});
  fftwf_execute_dft(plan, AsFftw(work), AsFftw(product));
  // The inverse transform of the product is conj(forward(conj(product))),
  // so the one forward plan serves both ways.
  for (int j = 0; j < size; ++j) {
    work[j] = std::conj(product[j] * kernel[j]);
  }
  fftwf_execute_dft(plan, AsFftw(work), AsFftw(product));
  for (int k = 0; k < length; ++k) {
    out[k] = kBackward ? std::conj(chirp[k]) * product[k] : chirp[k] * std::conj(product[k]);
  }
}

void ChirpTransform::Forward(const std::complex<float>* in, std::complex<float>* out) { Run<false>(in, out); }

void ChirpTransform::Backward(const std::complex<float>* in, std::complex<float>* out) { Run<true>(in, out); }

}  // namespace plimo
