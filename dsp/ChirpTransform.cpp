#include "dsp/ChirpTransform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <numbers>
#include <utility>

#include "dsp/FftPlans.h"

namespace plimo {

namespace {

// The smallest power of two, or five times one, of at least `least` points.
// FFTW's estimated plans run five times a power of two about as fast per
// point as a power of two (640 points in 0.6 of the time of 1024, 1280 in
// 0.58 of 2048), where other smooth lengths (576, 768, 1152) run no faster
// than the next power of two; for the chirp lengths of the inverse
// transforms that is up to 0.6 of the time.
int ConvolutionSize(int least) {
  int m = 1;
  while (m < least) {
    m *= 2;
  }
  constexpr int kFive = 5;
  constexpr int kEighths = 8;
  if (m >= kEighths && m / kEighths * kFive >= least) {
    m = m / kEighths * kFive;
  }
  return m;
}

// The read-only tables of one length and convolution size.
struct ChirpTables {
  std::complex<double>* chirp = nullptr;
  std::complex<double>* kernel = nullptr;
  std::complex<double>* halfTurns = nullptr;
};

// With k t = (k^2 + t^2 - (k - t)^2) / 2, the transform is
// X[k] = c[k] sum_t (x[t] c[t]) conj(c[k - t]) for the chirp
// c[m] = e^(-i pi m^2 / n): a convolution, which a transform of at
// least 2n - 1 points carries out without wrapping onto itself; outputs
// k < K only read the kernel at k - t = -(n - 1) .. K - 1, which n + K - 1
// points hold apart.
// work and transformed hold m values each, so the kernel is transformed
// between the arrays the plan was made for; false when an array cannot be had.
bool MakeTables(int n, int m, fftw_plan plan, std::complex<double>* work, std::complex<double>* transformed,
                ChirpTables& tables) {
  tables.chirp = ComplexArray(n);
  tables.kernel = ComplexArray(m);
  tables.halfTurns = ComplexArray(n + 1);
  if (tables.chirp == nullptr || tables.kernel == nullptr || tables.halfTurns == nullptr) {
    fftw_free(tables.chirp);
    fftw_free(tables.kernel);
    fftw_free(tables.halfTurns);
    return false;
  }
  // t^2 is reduced modulo 2n first, since the chirp has that period and
  // the angle of a large t^2 would lose its low digits.
  const int64_t period = 2 * static_cast<int64_t>(n);
  for (int t = 0; t < n; ++t) {
    const int64_t square = static_cast<int64_t>(t) * t % period;
    const double angle = -std::numbers::pi * static_cast<double>(square) / n;
    tables.chirp[t] = {std::cos(angle), std::sin(angle)};
  }
  for (int k = 0; k <= n; ++k) {
    const double angle = -std::numbers::pi * k / n;
    tables.halfTurns[k] = {std::cos(angle), std::sin(angle)};
  }
  // The kernel conj(c[j]) for j = -(n - 1) .. n - 1, negative j wrapped to
  // the end and positive j only as far as they stay clear of those; the
  // inverse transform's 1/m rides on it.
  std::fill(work, work + m, std::complex<double>{});
  const double scale = 1.0 / m;
  const int lastPositive = std::min(n - 1, m - n);
  work[0] = scale * std::conj(tables.chirp[0]);
  for (int j = 1; j < n; ++j) {
    const std::complex<double> value = scale * std::conj(tables.chirp[j]);
    if (j <= lastPositive) work[j] = value;
    work[m - j] = value;
  }
  fftw_execute_dft(plan, AsFftw(work), AsFftw(transformed));
  std::copy(transformed, transformed + m, tables.kernel);
  return true;
}

// Tables of every length and size met so far, made under the lock and
// never torn down, so that a run's set-up computes no chirp twice.
bool SharedTables(int n, int m, fftw_plan plan, std::complex<double>* work, std::complex<double>* product,
                  ChirpTables& found) {
  static std::mutex& mutex = *new std::mutex;
  static auto& tables = *new std::map<std::pair<int, int>, ChirpTables>;
  std::lock_guard<std::mutex> lock(mutex);
  const auto key = std::make_pair(n, m);
  auto at = tables.find(key);
  if (at == tables.end()) {
    ChirpTables made;
    if (!MakeTables(n, m, plan, work, product, made)) return false;
    at = tables.emplace(key, made).first;
  }
  found = at->second;
  return true;
}

// Two and four doubles, in the vector registers every x86-64 and ARM64
// processor has, and those of AVX2: one and two complex values.
using DoublePair = double __attribute__((vector_size(16)));
using DoubleQuad = double __attribute__((vector_size(32)));
using LanePair = long long __attribute__((vector_size(16)));
using LaneQuad = long long __attribute__((vector_size(32)));

template <typename Vector>
struct Lanes;
template <>
struct Lanes<DoublePair> {
  using Index = LanePair;
  static constexpr Index kReal = {0, 0};
  static constexpr Index kImaginary = {1, 1};
  static constexpr Index kSwapped = {1, 0};
  static constexpr DoublePair kMinusPlus = {-1.0, 1.0};
  static constexpr DoublePair kPlusMinus = {1.0, -1.0};
};
template <>
struct Lanes<DoubleQuad> {
  using Index = LaneQuad;
  static constexpr Index kReal = {0, 0, 2, 2};
  static constexpr Index kImaginary = {1, 1, 3, 3};
  static constexpr Index kSwapped = {1, 0, 3, 2};
  static constexpr DoubleQuad kMinusPlus = {-1.0, 1.0, -1.0, 1.0};
  static constexpr DoubleQuad kPlusMinus = {1.0, -1.0, 1.0, -1.0};
};

// out[i] = x[i] y[i], with the result or y conjugated as asked, a few
// complex values at a time. The real part is x.re y.re - x.im y.im and
// the imaginary part x.re y.im + x.im y.re, as std::complex computes them
// for finite values; a sign change is exact, so the results are the same
// to the bit whatever the vector width.
template <typename Vector>
[[gnu::always_inline]] inline void Products(std::complex<double>* out, const std::complex<double>* x,
                                            const std::complex<double>* y, int n, ChirpProduct kind) {
  using L = Lanes<Vector>;
  constexpr int kValues = sizeof(Vector) / sizeof(std::complex<double>);
  const Vector conjugate = L::kPlusMinus;
  int i = 0;
  for (; i + kValues <= n; i += kValues) {
    Vector a;
    Vector b;
    __builtin_memcpy(&a, x + i, sizeof a);
    __builtin_memcpy(&b, y + i, sizeof b);
    if (kind == ChirpProduct::kConjugateRight) b *= conjugate;
    const Vector real = __builtin_shuffle(a, L::kReal);
    const Vector imaginary = __builtin_shuffle(a, L::kImaginary);
    Vector value = real * b + imaginary * __builtin_shuffle(b, L::kSwapped) * L::kMinusPlus;
    if (kind == ChirpProduct::kConjugateResult) value *= conjugate;
    __builtin_memcpy(static_cast<void*>(out + i), &value, sizeof value);
  }
  for (; i < n; ++i) {
    const std::complex<double> right = kind == ChirpProduct::kConjugateRight ? std::conj(y[i]) : y[i];
    const std::complex<double> value = x[i] * right;
    out[i] = kind == ChirpProduct::kConjugateResult ? std::conj(value) : value;
  }
}

void ProductsInPairs(std::complex<double>* out, const std::complex<double>* x, const std::complex<double>* y,
                     int n, ChirpProduct kind) {
  Products<DoublePair>(out, x, y, n, kind);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void ProductsInQuads(std::complex<double>* out, const std::complex<double>* x,
                                             const std::complex<double>* y, int n, ChirpProduct kind) {
  Products<DoubleQuad>(out, x, y, n, kind);
}
#endif

ChirpTransform::Products ChosenProducts() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return ProductsInQuads;
#endif
  return ProductsInPairs;
}

}  // namespace

ChirpTransform::ChirpTransform(int n, int outputCount) {
  if (n < 1) {
    return;
  }
  if (outputCount < 1 || outputCount > n) outputCount = n;
  const int m = ConvolutionSize(n + outputCount - 1);
  auto* in = ComplexArray(m);
  auto* out = ComplexArray(m);
  fftw_plan made = nullptr;
  ChirpTables tables;
  if (in != nullptr && out != nullptr) {
    made = FindPlan(m, PlanKind::kComplexForward, in, out);
  }
  if (made == nullptr || !SharedTables(n, m, made, in, out, tables)) {
    fftw_free(in);
    fftw_free(out);
    return;
  }
  static const Products chosen = ChosenProducts();
  products = chosen;
  plan = made;
  length = n;
  outputs = outputCount;
  size = m;
  chirp = tables.chirp;
  kernel = tables.kernel;
  halfTurns = tables.halfTurns;
  work = in;
  product = out;
}

ChirpTransform::~ChirpTransform() {
  fftw_free(work);
  fftw_free(product);
}

void ChirpTransform::Forward(const std::complex<double>* in, std::complex<double>* out) {
  if (plan == nullptr) {
    return;
  }
  products(work, in, chirp, length, ChirpProduct::kPlain);
  std::fill(work + length, work + size, std::complex<double>{});
  fftw_execute_dft(plan, AsFftw(work), AsFftw(product));
  // The inverse transform of the product is conj(forward(conj(product))),
  // so the one forward plan serves both ways.
  products(work, product, kernel, size, ChirpProduct::kConjugateResult);
  fftw_execute_dft(plan, AsFftw(work), AsFftw(product));
  products(out, chirp, product, outputs, ChirpProduct::kConjugateRight);
}

}  // namespace plimo
