#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"

namespace plimo {
namespace {

constexpr int kMinSample = -32768;
constexpr int kMaxSample = 32767;

// Runs one sample through an effect's Process.
template <typename Effect>
int MapSample(Effect& effect, int s) {
  int16_t x = static_cast<int16_t>(s);
  effect.Process(&x, 1);
  return x;
}

// Every 16-bit input, in ascending order.
std::vector<int16_t> AllSamples() {
  std::vector<int16_t> all;
  for (int s = kMinSample; s <= kMaxSample; ++s) {
    all.push_back(static_cast<int16_t>(s));
  }
  return all;
}

// A dynamics curve must stay within the output range, keep the order of its
// inputs (louder in, louder or equal out) and treat both signs alike.
template <typename Effect>
void ExpectWellFormedCurve(Effect& effect) {
  std::vector<int16_t> out = AllSamples();
  effect.Process(out.data(), static_cast<int>(out.size()));
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_GE(out[i], -kMaxSample) << "input " << kMinSample + int(i);
    if (i > 0) {
      ASSERT_GE(out[i], out[i - 1]) << "input " << kMinSample + int(i);
    }
  }
  for (int s = 1; s <= kMaxSample; ++s) {
    ASSERT_EQ(out[s - kMinSample], -out[-s - kMinSample]) << "input " << s;
  }
}

TEST(CompressorTest, MidThresholdExamples) {
  Compressor compressor;
  compressor.SetThreshold(0.5f, 0.5f);
  EXPECT_EQ(MapSample(compressor, 32767), 32767);
  EXPECT_EQ(MapSample(compressor, 100), 212);  // 40 dB, above the threshold
  EXPECT_EQ(MapSample(compressor, 10), 22);    // 20 dB, below: 10 * 2.21
  EXPECT_EQ(MapSample(compressor, -32768), -32767);
  EXPECT_EQ(MapSample(compressor, -100), -212);
  EXPECT_EQ(MapSample(compressor, 0), 0);
}

TEST(CompressorTest, DerivedConstantsFollowTheControl) {
  Compressor compressor;
  compressor.SetThreshold(0.5f, 0.5f);
  EXPECT_NEAR(compressor.thresholdDb, 37.26, 0.01);
  EXPECT_NEAR(compressor.ratio, 0.13, 1e-6);
  EXPECT_NEAR(compressor.gain, 2.21, 0.01);
  EXPECT_EQ(MapSample(compressor, 100), 212);
  compressor.SetThreshold(0.0f, 0.0f);
  EXPECT_NEAR(compressor.thresholdDb, 59.78, 0.01);
  EXPECT_NEAR(compressor.ratio, 0.01, 1e-6);
  compressor.SetThreshold(1.0f, 1.0f);
  EXPECT_NEAR(compressor.thresholdDb, 14.74, 0.01);
  EXPECT_NEAR(compressor.ratio, 0.25, 1e-6);
  // A sample mapped before the changes follows the new settings.
  Compressor fresh;
  fresh.SetThreshold(1.0f, 1.0f);
  EXPECT_EQ(MapSample(compressor, 100), MapSample(fresh, 100));
  EXPECT_NE(MapSample(compressor, 100), 212);
}

TEST(CompressorTest, NeverSetBehavesAsMidThreshold) {
  Compressor unset;
  Compressor set;
  set.SetThreshold(0.5f, 0.5f);
  EXPECT_EQ(MapSample(unset, 100), 212);
  for (int s : {1, 10, 100, 1000, 20000, -5, -32768}) {
    EXPECT_EQ(MapSample(unset, s), MapSample(set, s)) << "input " << s;
  }
}

TEST(CompressorTest, CurveIsWellFormedAndKeepsFullScale) {
  for (float t : {0.0f, 0.5f, 1.0f}) {
    SCOPED_TRACE(t);
    Compressor compressor;
    compressor.SetThreshold(t, t);
    ExpectWellFormedCurve(compressor);
    EXPECT_EQ(MapSample(compressor, 32767), 32767);
    // Quiet samples are raised, the louder the control the more.
    EXPECT_GT(MapSample(compressor, 100), 100);
  }
}

TEST(ExpanderTest, MidThresholdExamples) {
  Expander expander;
  expander.SetThreshold(0.5f);
  EXPECT_NEAR(expander.thresholdDb, 29.25, 0.01);
  EXPECT_FLOAT_EQ(expander.gain, 1.0f);
  EXPECT_EQ(MapSample(expander, 20), 0);  // 26 dB, below the threshold
  EXPECT_EQ(MapSample(expander, -20), 0);
  EXPECT_EQ(MapSample(expander, 1000), 197);
  EXPECT_EQ(MapSample(expander, -1000), -197);
  EXPECT_EQ(MapSample(expander, 0), 0);
}

TEST(ExpanderTest, ThresholdRange) {
  Expander expander;
  expander.SetThreshold(0.0f);
  EXPECT_NEAR(expander.thresholdDb, 13.98, 0.01);
  EXPECT_EQ(MapSample(expander, 5), 0);  // the floor amplitude itself
  expander.SetThreshold(1.0f);
  EXPECT_NEAR(expander.thresholdDb, 44.51, 0.01);
  EXPECT_EQ(MapSample(expander, 168), 0);
  EXPECT_NE(MapSample(expander, 169), 0);
}

TEST(ExpanderTest, NeverSetBehavesAsMidThreshold) {
  Expander unset;
  EXPECT_EQ(MapSample(unset, 1000), 197);
  EXPECT_EQ(MapSample(unset, 20), 0);
}

TEST(ExpanderTest, CurveIsWellFormedAndKeepsFullScale) {
  for (float t : {0.0f, 0.5f, 1.0f}) {
    SCOPED_TRACE(t);
    Expander expander;
    expander.SetThreshold(t);
    ExpectWellFormedCurve(expander);
    EXPECT_EQ(MapSample(expander, 32767), 32767);
    // Never louder than the input.
    for (int s = 1; s <= kMaxSample; s += 7) {
      ASSERT_LE(MapSample(expander, s), s) << "input " << s;
    }
  }
}

TEST(LimiterTest, MidThresholdExamples) {
  Limiter limiter;
  limiter.SetThreshold(0.5f);
  EXPECT_FLOAT_EQ(limiter.limit, 5250.0f);
  EXPECT_EQ(MapSample(limiter, 6000), 5250);
  EXPECT_EQ(MapSample(limiter, -6000), -5250);
  EXPECT_EQ(MapSample(limiter, 5250), 5250);
  EXPECT_EQ(MapSample(limiter, -5250), -5250);
  EXPECT_EQ(MapSample(limiter, 5249), 5249);
  EXPECT_EQ(MapSample(limiter, -32768), -5250);
}

TEST(LimiterTest, ControlRangeAndConstruction) {
  Limiter limiter;
  EXPECT_EQ(MapSample(limiter, 32767), 5250);
  limiter.SetThreshold(0.0f);
  EXPECT_EQ(MapSample(limiter, 32767), 10000);
  limiter.SetThreshold(1.0f);
  EXPECT_EQ(MapSample(limiter, -32768), -500);
  EXPECT_EQ(MapSample(limiter, 499), 499);
}

TEST(GaterTest, MidThresholdExamples) {
  Gater gater;
  gater.SetThreshold(0.5f);
  EXPECT_EQ(MapSample(gater, 609), 0);
  EXPECT_EQ(MapSample(gater, -609), 0);
  EXPECT_EQ(MapSample(gater, 610), 610);
  EXPECT_EQ(MapSample(gater, -610), -610);
  EXPECT_EQ(MapSample(gater, -32768), -32768);
}

TEST(GaterTest, ControlRangeAndConstruction) {
  Gater gater;
  EXPECT_EQ(MapSample(gater, 609), 0);
  EXPECT_EQ(MapSample(gater, 610), 610);
  gater.SetThreshold(0.0f);
  EXPECT_EQ(MapSample(gater, 19), 0);
  EXPECT_EQ(MapSample(gater, 20), 20);
  gater.SetThreshold(1.0f);
  EXPECT_EQ(MapSample(gater, -1199), 0);
  EXPECT_EQ(MapSample(gater, 1200), 1200);
}

}  // namespace
}  // namespace plimo
