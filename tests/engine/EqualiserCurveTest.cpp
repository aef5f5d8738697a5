#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/EqualiserCurve.h"
#include "params/Equaliser.h"

namespace plimo {
namespace {

constexpr float kRate = 16000.0f;  // Hz
constexpr int kDefaultBands = 10;
constexpr int kBuilds = 5000;        // curves built by the reading thread
constexpr int kMaxWrites = 5000000;  // bound on the writing thread's loop
constexpr float kDefaultHz[kDefaultBands] = {100, 200, 300, 600, 1000, 3000, 5000, 8000, 12000, 17000};

std::vector<float> CurveOf(const EqualiserCurve& builder) {
  return std::vector<float>(builder.Curve(), builder.Curve() + builder.CurveLength());
}

// The two smoothing passes together, away from the ends: weights 1 2 3 2 1
// over 9, centred on j.
double FivePoint(const std::vector<double>& t, int j) {
  return (t[j - 2] + 2 * t[j - 1] + 3 * t[j] + 2 * t[j + 1] + t[j + 2]) / 9;
}

TEST(EqualiserCurveTest, FlatGainsGiveExactlyOne) {
  Equaliser equaliser;
  EqualiserCurve builder;
  for (int bins : {2, 3, 256, 513, 1025}) {
    ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
    ASSERT_EQ(builder.CurveLength(), bins);
    for (float c : CurveOf(builder)) ASSERT_EQ(c, 1.0f) << bins;
  }
}

// Only 1000 Hz at +20 dB, 256 bins at 16000 Hz: before smoothing a line
// from 1.0 at bin 19 (600 Hz) up to 10.0 at bin 32 (1000 Hz) and back to
// 1.0 at bin 96 (3000 Hz).
TEST(EqualiserCurveTest, SingleBandPeakHasTheExpectedShape) {
  Equaliser equaliser;
  EqualiserCurve builder;
  ASSERT_EQ(equaliser.SetGain(4, 20.0f), 1);
  const int bins = 256;
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
  const std::vector<float> curve = CurveOf(builder);

  std::vector<double> t(bins, 1.0);
  for (int j = 19; j < 32; ++j) t[j] = 1.0 + (j - 19) / 13.0 * 9.0;
  for (int j = 32; j < 96; ++j) t[j] = 10.0 + (j - 32) / 64.0 * -9.0;
  for (int j = 2; j < bins - 2; ++j) {
    ASSERT_NEAR(curve[j], FivePoint(t, j), 1e-5) << j;
  }

  int peak = 0;
  for (int j = 1; j < bins; ++j) {
    if (curve[j] > curve[peak]) peak = j;
  }
  // The gentle falling flank pulls the smoothed maximum one bin above the
  // band's bin.
  EXPECT_EQ(peak, 33);
  EXPECT_GT(curve[32], 9.5f);
  for (int j = 17; j < 33; ++j) ASSERT_LT(curve[j], curve[j + 1]) << j;
  for (int j = 33; j < 98; ++j) ASSERT_GT(curve[j], curve[j + 1]) << j;
  for (int j = 0; j < 17; ++j) ASSERT_EQ(curve[j], 1.0f) << j;
  for (int j = 98; j < bins; ++j) ASSERT_EQ(curve[j], 1.0f) << j;
}

// At 8000 Hz the bands from 5000 Hz up are ignored and the 3000 Hz gain
// holds from its bin (192 of 256) to the top.
TEST(EqualiserCurveTest, BandsAtOrAboveNyquistAreIgnored) {
  Equaliser equaliser;
  EqualiserCurve builder;
  equaliser.SetGain(5, 6.0f);    // 3000 Hz
  equaliser.SetGain(6, -20.0f);  // 5000 Hz
  equaliser.SetGain(9, 20.0f);   // 17000 Hz
  const int bins = 256;
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, 8000.0f, bins), 1);
  const std::vector<float> curve = CurveOf(builder);
  const double high = std::pow(10.0, 0.3);
  for (int j = 194; j < bins; ++j) ASSERT_NEAR(curve[j], high, 1e-5) << j;
  for (int j = 20; j < 190; ++j) ASSERT_LT(curve[j], curve[j + 1] + 1e-6) << j;
}

TEST(EqualiserCurveTest, NoBandBelowNyquistGivesTheFirstBandsGain) {
  Equaliser equaliser;
  EqualiserCurve builder;
  const float hz[2] = {9000.0f, 12000.0f};
  const float db[2] = {6.0f, -6.0f};
  ASSERT_EQ(equaliser.SetBands(2, hz, db), 1);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 64), 1);
  for (float c : CurveOf(builder)) ASSERT_NEAR(c, std::pow(10.0, 0.3), 1e-5);
  ASSERT_EQ(equaliser.SetBands(0, nullptr), 1);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 64), 1);
  for (float c : CurveOf(builder)) ASSERT_EQ(c, 1.0f);
}

// With two bins no smoothing applies: bin 0 holds the 1000 Hz band (the
// last band rounding to bin 0) and bin 1 the 5000 Hz band (the last one
// below Nyquist).
TEST(EqualiserCurveTest, TwoBinsAreTheUnsmoothedGains) {
  Equaliser equaliser;
  EqualiserCurve builder;
  equaliser.SetGain(4, 20.0f);
  equaliser.SetGain(6, -20.0f);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 2), 1);
  ASSERT_EQ(builder.CurveLength(), 2);
  EXPECT_FLOAT_EQ(builder.Curve()[0], 10.0f);
  EXPECT_FLOAT_EQ(builder.Curve()[1], 0.1f);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 1), 1);
  EXPECT_EQ(builder.CurveLength(), 1);
}

TEST(EqualiserCurveTest, RefusedArgumentsLeaveTheCurve) {
  Equaliser equaliser;
  EqualiserCurve builder;
  equaliser.SetGain(2, 3.0f);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 16), 1);
  const std::vector<float> before = CurveOf(builder);
  EXPECT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 0), -1);
  EXPECT_EQ(builder.BuildEqualiserCurve(equaliser, 0.0f, 16), -1);
  EXPECT_EQ(builder.BuildEqualiserCurve(equaliser, NAN, 16), -1);
  EXPECT_EQ(CurveOf(builder), before);
}

// Frequencies read from a file may be anything finite: out of order,
// negative, enormous. The curve must stay inside its bins and finite.
TEST(EqualiserCurveTest, HostileFrequenciesStayInsideTheCurve) {
  Equaliser equaliser;
  EqualiserCurve builder;
  const float hz[6] = {5000.0f, -1e30f, 1e30f, 200.0f, -3.0f, 7000.0f};
  const float db[6] = {3.0f, -20.0f, 20.0f, 6.0f, 0.0f, -3.0f};
  ASSERT_EQ(equaliser.SetBands(6, hz, db), 1);
  for (int bins : {2, 5, 257}) {
    ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
    for (float c : CurveOf(builder)) {
      ASSERT_TRUE(std::isfinite(c));
      ASSERT_GT(c, 0.0f);
    }
  }
}

TEST(EqualiserCurveTest, BuildingWithinTheReserveKeepsTheCurveInPlace) {
  Equaliser equaliser;
  EqualiserCurve builder;
  ASSERT_EQ(builder.Prepare(1025), 1);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, 1025), 1);
  const float* curve = builder.Curve();
  for (int bins : {513, 1025, 2, 700}) {
    ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
    ASSERT_EQ(builder.Curve(), curve) << bins;
  }
  EXPECT_EQ(builder.Prepare(0), -1);
}

// The curve is kept while nothing it depends on changes; a gain or a rate
// changed between two builds of the same length must show.
TEST(EqualiserCurveTest, AChangedGainOrRateRebuildsACurveOfTheSameLength) {
  Equaliser equaliser;
  EqualiserCurve builder;
  const int bins = 256;
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
  EXPECT_EQ(CurveOf(builder), std::vector<float>(bins, 1.0f));
  ASSERT_EQ(equaliser.SetGain(4, 20.0f), 1);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
  const std::vector<float> raised = CurveOf(builder);
  EXPECT_GT(*std::max_element(raised.begin(), raised.end()), 9.0f);
  ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, 2 * kRate, bins), 1);
  EXPECT_NE(CurveOf(builder), raised);
}

// One thread replaces all bands in turn with 0 dB and +6 dB while the other
// builds curves; every curve must come from one of the two states, never a
// mixture. The full band capacity widens the window for a torn read.
TEST(EqualiserCurveTest, CurvesStayConsistentWhileBandsChange) {
  Equaliser equaliser;
  EqualiserCurve builder;
  const int bins = 129;
  builder.Prepare(bins);
  constexpr int kBands = Equaliser::kMaxBands;
  float hz[kBands];
  const float zero[kBands] = {};
  float six[kBands];
  for (int k = 0; k < kBands; ++k) {
    hz[k] = 100.0f + 200.0f * k;
    six[k] = 6.0f;
  }
  const float high = static_cast<float>(std::pow(10.0, 0.3));

  std::atomic<bool> started{false};
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < kMaxWrites && !done.load(); ++i) {
      equaliser.SetBands(kBands, hz, i % 2 ? six : zero);
      started.store(true);
    }
  });
  while (!started.load()) std::this_thread::yield();
  int flat = 0, raised = 0, mixed = 0;
  for (int i = 0; i < kBuilds; ++i) {
    ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
    const float* c = builder.Curve();
    bool allFlat = true, allRaised = true;
    for (int j = 0; j < bins; ++j) {
      allFlat = allFlat && c[j] == 1.0f;
      allRaised = allRaised && std::fabs(c[j] - high) < 1e-5f;
    }
    flat += allFlat;
    raised += allRaised;
    mixed += !allFlat && !allRaised;
  }
  done.store(true);
  writer.join();
  EXPECT_EQ(mixed, 0);
  EXPECT_EQ(flat + raised, kBuilds);
}

// Band counts and single gains change under the builder: every curve must
// stay finite and positive, and nothing may be read outside the bands.
TEST(EqualiserCurveTest, BandCountChangesDuringBuildsAreSafe) {
  Equaliser equaliser;
  EqualiserCurve builder;
  const int bins = 257;
  builder.Prepare(bins);
  const float few[3] = {250.0f, 2500.0f, 25000.0f};
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < kMaxWrites && !done.load(); ++i) {
      if (i % 3 == 0) equaliser.SetBands(3, few);
      if (i % 3 == 1) equaliser.SetBands(kDefaultBands, kDefaultHz);
      equaliser.SetGain(i % kDefaultBands, static_cast<float>(i % 41 - 20));
      equaliser.SetFrequency(i % 3, static_cast<float>(i % 9000));
    }
  });
  for (int i = 0; i < kBuilds; ++i) {
    ASSERT_EQ(builder.BuildEqualiserCurve(equaliser, kRate, bins), 1);
    for (int j = 0; j < bins; ++j) {
      const float c = builder.Curve()[j];
      ASSERT_TRUE(std::isfinite(c) && c > 0.0f) << j;
    }
  }
  done.store(true);
  writer.join();
}

}  // namespace
}  // namespace plimo
