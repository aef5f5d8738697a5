#include "dsp/Primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/RandomGenerator.h"

namespace plimo {
namespace {

TEST(EnergyAndMean, KnownArrays) {
  const std::vector<float> x = {1.0f, -2.0f, 3.0f, -4.0f};
  EXPECT_DOUBLE_EQ(Energy(x.data(), 4), 30.0);
  EXPECT_DOUBLE_EQ(Mean(x.data(), 4), -0.5);
  EXPECT_DOUBLE_EQ(Energy(x.data(), 0), 0.0);
  EXPECT_DOUBLE_EQ(Mean(x.data(), 0), 0.0);
}

TEST(EnergyAndMean, FullScaleSumsAreExact) {
  // 2^20 full-scale samples: a float accumulator would lose the low digits
  // long before the end; double holds every partial sum exactly.
  const int n = 1 << 20;
  std::vector<float> x(n, 32767.0f);
  x[0] = 32766.0f;
  EXPECT_EQ(Energy(x.data(), n), (n - 1) * 32767.0 * 32767.0 + 32766.0 * 32766.0);
  EXPECT_EQ(Mean(x.data(), n), ((n - 1) * 32767.0 + 32766.0) / n);
}

TEST(Reverse, EvenAndOddLengths) {
  std::vector<float> even = {1, 2, 3, 4};
  Reverse(even.data(), 4);
  EXPECT_EQ(even, (std::vector<float>{4, 3, 2, 1}));

  std::vector<float> odd = {1, 2, 3, 4, 5};
  Reverse(odd.data(), 5);
  EXPECT_EQ(odd, (std::vector<float>{5, 4, 3, 2, 1}));

  std::vector<float> single = {7};
  Reverse(single.data(), 1);
  EXPECT_EQ(single[0], 7.0f);
}

TEST(Median, MiddleOfSortedCopyAndInputUntouched) {
  float scratch[4];
  const std::vector<float> a = {3, 1, 2};
  EXPECT_EQ(Median(a.data(), 3, scratch), 2.0f);
  EXPECT_EQ(a, (std::vector<float>{3, 1, 2}));

  const std::vector<float> b = {0, 0, 125};
  EXPECT_EQ(Median(b.data(), 3, scratch), 0.0f);

  // Even length: element n/2 of the sorted copy, the upper middle.
  const std::vector<float> c = {4, 1, 3, 2};
  EXPECT_EQ(Median(c.data(), 4, scratch), 3.0f);
  EXPECT_EQ(c, (std::vector<float>{4, 1, 3, 2}));

  EXPECT_EQ(Median(c.data(), 0, scratch), 0.0f);
}

TEST(Median, Median3AgreesWithMedianForEveryOrder) {
  const float values[][3] = {{1, 2, 3},   {1, 3, 2},   {2, 1, 3},   {2, 3, 1}, {3, 1, 2}, {3, 2, 1},
                             {0, 0, 125}, {125, 0, 0}, {0, 125, 0}, {5, 5, 5}, {-1, 7, 7}};
  float scratch[3];
  for (const auto& v : values) {
    EXPECT_EQ(Median3(v[0], v[1], v[2]), Median(v, 3, scratch)) << v[0] << " " << v[1] << " " << v[2];
  }
}

TEST(HammingWindow, ShortLengths) {
  float w2[2];
  HammingWindow(w2, 2);
  EXPECT_NEAR(w2[0], 0.08f, 1e-7f);
  EXPECT_NEAR(w2[1], 0.08f, 1e-7f);

  float w3[3];
  HammingWindow(w3, 3);
  EXPECT_NEAR(w3[0], 0.08f, 1e-7f);
  EXPECT_NEAR(w3[1], 1.0f, 1e-7f);
  EXPECT_NEAR(w3[2], 0.08f, 1e-7f);

  float w1[1];
  HammingWindow(w1, 1);
  EXPECT_EQ(w1[0], 1.0f);
}

TEST(HammingWindow, SymmetricWithPeakInTheMiddle) {
  for (int n : {160, 161, 640}) {
    std::vector<float> w(n);
    HammingWindow(w.data(), n);
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(w[i], w[n - 1 - i], 1e-6f) << "n " << n << " i " << i;
      EXPECT_GE(w[i], 0.08f - 1e-6f);
      EXPECT_LE(w[i], 1.0f);
    }
    // Quarter point: cos(pi/2) = 0 when (n - 1) divides by 4.
    if ((n - 1) % 4 == 0) {
      EXPECT_NEAR(w[(n - 1) / 4], 0.54f, 1e-6f);
    }
    // The coherent gain of a Hamming window tends to 0.54.
    EXPECT_NEAR(Mean(w.data(), n), 0.54, 0.01);
  }
}

TEST(Autocorrelation, KnownLags) {
  const std::vector<float> x = {1, 2, 3};
  double r[5];
  Autocorrelation(r, x.data(), 4, 3);
  EXPECT_DOUBLE_EQ(r[0], 14.0);
  EXPECT_DOUBLE_EQ(r[1], 8.0);
  EXPECT_DOUBLE_EQ(r[2], 3.0);
  EXPECT_DOUBLE_EQ(r[3], 0.0);
  EXPECT_DOUBLE_EQ(r[4], 0.0);
}

TEST(LevinsonDurbin, FirstOrder) {
  const double r[2] = {1.0, 0.5};
  double a[1];
  double scratch[1];
  const double error = LevinsonDurbin(a, r, 1, scratch);
  EXPECT_DOUBLE_EQ(a[0], 0.5);
  EXPECT_DOUBLE_EQ(error, 0.75);
}

TEST(LevinsonDurbin, SolvesTheNormalEquations) {
  // For any autocorrelation sequence the predictor satisfies
  // sum_j a_j r[|i - j|] = r[i] (i = 1 .. p), and the error is
  // r[0] - sum_j a_j r[j].
  RandomGenerator random(7);
  const int n = 640;
  const int p = 18;
  std::vector<float> x(n);
  float previous = 0.0f;
  for (int i = 0; i < n; ++i) {
    previous = 0.9f * previous + static_cast<float>(1000.0 * NoiseValue(random));
    x[i] = previous;
  }
  std::vector<double> r(p + 1);
  std::vector<double> a(p);
  std::vector<double> scratch(p);
  Autocorrelation(r.data(), x.data(), p, n);
  const double error = LevinsonDurbin(a.data(), r.data(), p, scratch.data());

  for (int i = 1; i <= p; ++i) {
    double sum = 0.0;
    for (int j = 1; j <= p; ++j) {
      sum += a[j - 1] * r[std::abs(i - j)];
    }
    EXPECT_NEAR(sum, r[i], 1e-9 * r[0]) << "equation " << i;
  }
  double expected = r[0];
  for (int j = 1; j <= p; ++j) {
    expected -= a[j - 1] * r[j];
  }
  EXPECT_NEAR(error, expected, 1e-9 * r[0]);
  EXPECT_GT(error, 0.0);
  EXPECT_LT(error, r[0]);
}

TEST(LevinsonDurbin, RecoversAnAutoregressiveProcess) {
  // x[t] = 1.3 x[t-1] - 0.6 x[t-2] + e[t]: poles inside the unit circle.
  RandomGenerator random(12345);
  const int n = 50000;
  std::vector<float> x(n);
  double x1 = 0.0;
  double x2 = 0.0;
  for (int i = 0; i < n; ++i) {
    const double value = 1.3 * x1 - 0.6 * x2 + 1000.0 * NoiseValue(random);
    x[i] = static_cast<float>(value);
    x2 = x1;
    x1 = value;
  }
  double r[3];
  double a[2];
  double scratch[2];
  Autocorrelation(r, x.data(), 2, n);
  LevinsonDurbin(a, r, 2, scratch);
  EXPECT_NEAR(a[0], 1.3, 0.02);
  EXPECT_NEAR(a[1], -0.6, 0.02);
}

TEST(LevinsonDurbin, SilenceGivesFiniteZeros) {
  const int p = 10;
  std::vector<double> r(p + 1, 0.0);
  std::vector<double> a(p, 99.0);
  std::vector<double> scratch(p);
  const double error = LevinsonDurbin(a.data(), r.data(), p, scratch.data());
  for (double value : a) {
    EXPECT_EQ(value, 0.0);
  }
  EXPECT_TRUE(std::isfinite(error));
  EXPECT_GT(error, 0.0);
}

TEST(LevinsonDurbin, PureToneAtHighOrderStaysFinite) {
  // The worst conditioning the engine meets: a windowed sine at 48000 Hz
  // with the order fs / 1000 + 2.
  const int n = 960;
  const int p = 50;
  std::vector<float> window(n);
  HammingWindow(window.data(), n);
  std::vector<float> x(n);
  for (int i = 0; i < n; ++i) {
    x[i] = window[i] * static_cast<float>(20000.0 * std::sin(2.0 * std::numbers::pi * 100.0 * i / 48000.0));
  }
  std::vector<double> r(p + 1);
  std::vector<double> a(p);
  std::vector<double> scratch(p);
  Autocorrelation(r.data(), x.data(), p, n);
  const double error = LevinsonDurbin(a.data(), r.data(), p, scratch.data());
  for (double value : a) {
    EXPECT_TRUE(std::isfinite(value));
  }
  EXPECT_TRUE(std::isfinite(error));
}

TEST(LinearResample, UpsamplingKeepsTheEndsAndInterpolates) {
  const int m = 257;
  const int q = 308;
  std::vector<float> s(m);
  RandomGenerator random(3);
  for (float& v : s) {
    v = static_cast<float>(NoiseValue(random));
  }
  std::vector<float> t(q);
  EXPECT_EQ(LinearResample(s.data(), m, t.data(), q), q);
  EXPECT_EQ(t[0], s[0]);
  EXPECT_EQ(t[1], s[1]);
  EXPECT_EQ(t[q - 1], s[m - 1]);

  const double x = 1.0 + 255.0 / 306.0;  // where t[2] samples s
  const double expected = (2.0 - x) * s[1] + (x - 1.0) * s[2];
  EXPECT_NEAR(t[2], expected, 1e-6);
}

TEST(LinearResample, RampStaysLinear) {
  for (const auto& [m, q] : {std::pair{257, 308}, std::pair{257, 206}, std::pair{100, 100}}) {
    std::vector<float> s(m);
    for (int i = 0; i < m; ++i) {
      s[i] = static_cast<float>(i);
    }
    std::vector<float> t(q);
    LinearResample(s.data(), m, t.data(), q);
    const double ratio = static_cast<double>(m - 2) / (q - 2);
    for (int i = 2; i <= q - 2; ++i) {
      EXPECT_NEAR(t[i], (i - 1) * ratio + 1.0, 1e-3) << m << "->" << q << " at " << i;
    }
    EXPECT_EQ(t[q - 1], static_cast<float>(m - 1));
  }
}

TEST(LinearResample, ShortArraysStayInBounds) {
  const float guard = -12345.0f;
  const std::vector<float> s = {5.0f, 6.0f, 7.0f};

  std::vector<float> t(3, guard);
  EXPECT_EQ(LinearResample(s.data(), 3, t.data(), 1), 1);
  EXPECT_EQ(t[0], 7.0f);  // the last sample wins, as for longer targets
  EXPECT_EQ(t[1], guard);

  t.assign(3, guard);
  LinearResample(s.data(), 3, t.data(), 2);
  EXPECT_EQ(t[0], 5.0f);
  EXPECT_EQ(t[1], 7.0f);
  EXPECT_EQ(t[2], guard);

  // A one-sample source is spread over the whole target.
  const std::vector<float> one = {4.0f};
  t.assign(3, guard);
  LinearResample(one.data(), 1, t.data(), 3);
  EXPECT_EQ(t, (std::vector<float>{4.0f, 4.0f, 4.0f}));
  std::vector<float> longer(6, guard);
  LinearResample(one.data(), 1, longer.data(), 6);
  EXPECT_EQ(longer, std::vector<float>(6, 4.0f));

  t.assign(3, guard);
  LinearResample(s.data(), 0, t.data(), 3);
  EXPECT_EQ(t, std::vector<float>(3, 0.0f));
}

// However many outputs the processor computes at once, every one must be
// the one-at-a-time formula's to the bit, for sources and targets from one
// sample up, shrinking and stretching, with a remainder after the groups.
TEST(LinearResample, IsTheOneAtATimeFormulaToTheBit) {
  RandomGenerator random(11);
  for (int m : {1, 2, 3, 5, 9, 17, 257, 513, 1025}) {
    std::vector<float> s(static_cast<size_t>(m));
    for (float& v : s) v = static_cast<float>(NoiseValue(random)) * 1e4f;
    for (int q : {1, 2, 3, 4, 5, 10, 11, 12, 13, 19, 308, 513, 1025, 1500, 2049}) {
      std::vector<float> expected(static_cast<size_t>(q));
      expected[0] = s[0];
      if (q > 1) expected[1] = s[static_cast<size_t>(std::min(1, m - 1))];
      expected[static_cast<size_t>(q) - 1] = s[static_cast<size_t>(m) - 1];
      const float ratio = static_cast<float>(m - 2) / static_cast<float>(q - 2);
      for (int i = 2; i <= q - 2; ++i) {
        const float x = static_cast<float>(i - 1) * ratio + 1.0f;
        const int j = static_cast<int>(x);
        const float f = x - static_cast<float>(j);
        expected[static_cast<size_t>(i)] = (1.0f - f) * s[static_cast<size_t>(std::clamp(j, 0, m - 1))] +
                                           f * s[static_cast<size_t>(std::min(j + 1, m - 1))];
      }
      std::vector<float> t(static_cast<size_t>(q));
      LinearResample(s.data(), m, t.data(), q);
      EXPECT_EQ(t, expected) << m << "->" << q;
    }
  }
}

TEST(Filter, FirstOrderPoleAndZeroImpulseResponse) {
  // H(z) = (1 + 0.5 z^-1) / (1 - 0.5 z^-1): h[0] = 1, h[k] = 0.5^(k-1).
  const float b[] = {1.0f, 0.5f};
  const float a[] = {1.0f, -0.5f};
  const int n = 12;
  std::vector<float> x(n, 0.0f);
  x[0] = 1.0f;
  std::vector<float> scratch(n);
  Filter(b, 2, a, 2, x.data(), n, scratch.data());
  EXPECT_FLOAT_EQ(x[0], 1.0f);
  for (int k = 1; k < n; ++k) {
    EXPECT_FLOAT_EQ(x[k], std::pow(0.5f, static_cast<float>(k - 1))) << k;
  }
}

TEST(Filter, FreshStateAndLeadingDenominatorIgnored) {
  const float b[] = {0.25f, 0.25f, 0.25f, 0.25f};
  const float a[] = {7.0f};  // a[0] is taken as 1 whatever it holds
  const std::vector<float> input = {4, 8, 4, 8, 4, 8};
  std::vector<float> x = input;
  std::vector<float> scratch(x.size());
  Filter(b, 4, a, 1, x.data(), 6, scratch.data());
  EXPECT_EQ(x, (std::vector<float>{1, 3, 4, 6, 6, 6}));

  // A second call starts from rest again, not from the previous tail.
  x = input;
  Filter(b, 4, a, 1, x.data(), 6, scratch.data());
  EXPECT_EQ(x, (std::vector<float>{1, 3, 4, 6, 6, 6}));
}

// The sixth-order filters of the pitch tracker take a faster path once all
// seven taps reach into the signal; it must give the difference equation's
// outputs to the bit, its sums in the documented order.
TEST(Filter, SixthOrderMatchesTheDirectFormToTheBit) {
  const float b[] = {0.0001f, 0.0006f, 0.0015f, 0.002f, 0.0015f, 0.0006f, 0.0001f};
  const float a[] = {1.0f, -3.0f, 3.75f, -2.5f, 0.9375f, -0.1875f, 0.015625f};  // (1 - z^-1 / 2)^6
  RandomGenerator random(99);
  std::vector<float> input(500);
  for (float& v : input) v = std::round(static_cast<float>(20000.0 * NoiseValue(random)));
  for (const int n : {500, 8, 7, 3}) {
    std::vector<float> expected(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      double sum = 0.0;
      for (int k = 0; k <= std::min(i, 6); ++k) sum += static_cast<double>(b[k]) * input[i - k];
      for (int k = std::min(i, 6); k >= 1; --k) sum -= static_cast<double>(a[k]) * expected[i - k];
      expected[i] = static_cast<float>(sum);
    }
    std::vector<float> x(input.begin(), input.begin() + n);
    std::vector<float> scratch(static_cast<size_t>(n));
    Filter(b, 7, a, 7, x.data(), n, scratch.data());
    EXPECT_EQ(x, expected) << n;
  }
}

}  // namespace
}  // namespace plimo
