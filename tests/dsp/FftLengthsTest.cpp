// Every transform length up to 4096 runs without touching the allocator
// and agrees with the transform sum evaluated directly in long double: the
// lengths that FFTW plans directly and those carried out as a chirp
// convolution alike.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/RandomGenerator.h"
#include "support/MallocCounter.h"

namespace plimo {
namespace {

// Adds " N" and a mark to a list of failing lengths; piece by piece, since
// GCC 12 sees a false overflow in " " + text at -O3.
void Note(std::string* list, int n, const char* mark = "") {
  *list += ' ';
  *list += std::to_string(n);
  *list += mark;
}

using LongComplex = std::complex<long double>;

constexpr int kLongest = 4096;

// Beyond the float rounding of each output value, the transforms (double
// precision inside) may be off by this much of the largest magnitude.
constexpr long double kRelativeTolerance = 1e-9L;

// Up to this length every output value is checked against the direct
// sum; beyond it, both ends and a spread of values in between, which
// keeps the O(n) direct sums affordable for 12000 lengths.
constexpr int kFullCheckLength = 128;
constexpr int kSpotChecks = 24;

// e^(sign i 2 pi m / n) for m = 0 .. n-1, in long double.
class DirectSum {
 public:
  DirectSum(int n, int sign) : length(n), turns(static_cast<size_t>(n)) {
    for (int m = 0; m < n; ++m) {
      const long double angle = sign * 2.0L * std::numbers::pi_v<long double> * m / n;
      turns[m] = {std::cos(angle), std::sin(angle)};
    }
  }

  // sum over t of x[t] e^(sign i 2 pi k t / n).
  template <typename Value>
  LongComplex At(const std::vector<Value>& x, int k) const {
    LongComplex sum = 0;
    long long index = 0;
    for (int t = 0; t < length; ++t) {
      sum += static_cast<LongComplex>(x[t]) * turns[index];
      index += k;
      if (index >= length) index -= length;
    }
    return sum;
  }

 private:
  int length;
  std::vector<LongComplex> turns;
};

// The output indices of length n to check.
std::vector<int> Checked(int n, uint32_t seed) {
  std::vector<int> indices;
  if (n <= kFullCheckLength) {
    for (int k = 0; k < n; ++k) indices.push_back(k);
    return indices;
  }
  indices = {0, 1, n / 2, n / 2 + 1, n - 1};
  RandomGenerator random(seed);
  for (int i = 0; i < kSpotChecks; ++i) {
    indices.push_back(random.Next() % n);
  }
  return indices;
}

std::vector<float> Noise(size_t count, uint32_t seed) {
  RandomGenerator random(seed);
  std::vector<float> values(count);
  for (float& v : values) v = static_cast<float>(40000.0 * NoiseValue(random));
  return values;
}

// Where a float output may lie: the exact value, rounded to float, give or
// take the allowed share of the largest magnitude.
bool Close(float actual, long double exact, long double largest) {
  const long double rounding = std::fabs(exact) * FLT_EPSILON / 2;
  return std::fabs(actual - exact) <= kRelativeTolerance * largest + rounding;
}

// Every length up to 4096 of a complex transform, both directions.
TEST(FftLengths, ComplexTransformsAllocateNothingAndMatchTheDirectSum) {
  if (!test::MallocCountingAvailable()) GTEST_SKIP() << "no allocation counting in this build";
  std::string allocating;
  std::string wrong;
  for (int n = 1; n <= kLongest; ++n) {
    ComplexFft fft(n);
    ASSERT_TRUE(fft.Ready()) << n;
    const std::vector<float> input = Noise(2 * static_cast<size_t>(n), static_cast<uint32_t>(n));
    std::vector<LongComplex> x(static_cast<size_t>(n));
    for (int t = 0; t < n; ++t) x[t] = {input[2 * t], input[2 * t + 1]};
    for (int direction : {kFftForward, kFftBackward}) {
      std::vector<float> data = input;
      test::StartCountingMalloc();
      fft.Transform(data.data(), direction);
      if (test::StopCountingMalloc() != 0) Note(&allocating, n);

      const DirectSum direct(n, direction);
      std::vector<LongComplex> expected;
      long double largest = 0;
      const std::vector<int> checked = Checked(n, static_cast<uint32_t>(n));
      for (int k : checked) {
        expected.push_back(direct.At(x, k));
        largest = std::max(largest, std::abs(expected.back()));
      }
      for (size_t i = 0; i < checked.size(); ++i) {
        const int k = checked[i];
        if (!Close(data[2 * k], expected[i].real(), largest) ||
            !Close(data[2 * k + 1], expected[i].imag(), largest)) {
          Note(&wrong, n, direction == kFftForward ? "f" : "b");
          break;
        }
      }
    }
  }
  EXPECT_TRUE(allocating.empty()) << "allocating at lengths" << allocating;
  EXPECT_TRUE(wrong.empty()) << "wrong values at lengths" << wrong;
}

// Every even length up to 4096 of a real transform, forward and backward,
// and backward-only objects as the frame loop uses them.
TEST(FftLengths, RealTransformsAllocateNothingAndMatchTheDirectSum) {
  if (!test::MallocCountingAvailable()) GTEST_SKIP() << "no allocation counting in this build";
  std::string allocating;
  std::string wrong;
  for (int n = 2; n <= kLongest; n += 2) {
    RealFft fft(n);
    RealFft backwardOnly(n, RealFftUse::kBackwardOnly);
    ASSERT_TRUE(fft.Ready()) << n;
    ASSERT_TRUE(backwardOnly.Ready()) << n;
    const int bins = fft.BinCount();
    const uint32_t seed = static_cast<uint32_t>(n);

    const std::vector<float> samples = Noise(static_cast<size_t>(n), seed);
    std::vector<std::complex<float>> spectrum(static_cast<size_t>(bins));
    test::StartCountingMalloc();
    fft.Forward(samples.data(), spectrum.data());
    if (test::StopCountingMalloc() != 0) Note(&allocating, n, "f");
    const DirectSum forward(n, kFftForward);
    std::vector<int> checked;
    for (int k : Checked(bins, seed)) checked.push_back(k);
    std::vector<LongComplex> expected;
    long double largest = 0;
    for (int k : checked) {
      expected.push_back(forward.At(samples, k));
      largest = std::max(largest, std::abs(expected.back()));
    }
    for (size_t i = 0; i < checked.size(); ++i) {
      const int k = checked[i];
      if (!Close(spectrum[k].real(), expected[i].real(), largest) ||
          !Close(spectrum[k].imag(), expected[i].imag(), largest)) {
        Note(&wrong, n, "f");
        break;
      }
    }

    // Random bins, the imaginary parts of bins 0 and n/2 included, which
    // a real signal cannot carry and the backward transform drops.
    const std::vector<float> random = Noise(2 * static_cast<size_t>(bins), seed + 1);
    std::vector<LongComplex> completed(static_cast<size_t>(n));
    for (int k = 0; k < bins; ++k) {
      spectrum[k] = {random[2 * k], random[2 * k + 1]};
      completed[k] = {random[2 * k], random[2 * k + 1]};
    }
    completed[0].imag(0);
    completed[n / 2].imag(0);
    for (int k = bins; k < n; ++k) completed[k] = std::conj(completed[n - k]);
    std::vector<float> x(static_cast<size_t>(n));
    std::vector<float> fromBackwardOnly(static_cast<size_t>(n));
    test::StartCountingMalloc();
    fft.Backward(spectrum.data(), x.data());
    backwardOnly.Backward(spectrum.data(), fromBackwardOnly.data());
    if (test::StopCountingMalloc() != 0) Note(&allocating, n, "b");
    const DirectSum backward(n, kFftBackward);
    checked = Checked(n, seed);
    expected.clear();
    largest = 0;
    for (int t : checked) {
      expected.push_back(backward.At(completed, t));
      largest = std::max(largest, std::abs(expected.back()));
    }
    for (size_t i = 0; i < checked.size(); ++i) {
      const int t = checked[i];
      if (!Close(x[t], expected[i].real(), largest)) {
        Note(&wrong, n, "b");
        break;
      }
    }
    if (fromBackwardOnly != x) Note(&wrong, n, "B");
  }
  EXPECT_TRUE(allocating.empty()) << "allocating at lengths" << allocating;
  EXPECT_TRUE(wrong.empty()) << "wrong values at lengths" << wrong;
}

}  // namespace
}  // namespace plimo
