#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/CombUnit.h"
#include "effects/Reverb.h"

namespace plimo {
namespace {

constexpr float kRate = 16000.0f;   // Hz
constexpr int kBlock = 319;         // 20 ms at 16000 Hz
constexpr int kHistory = 12800;     // 0.8 s at 16000 Hz
constexpr double kNew = 1.0 / 1.7;  // weight of the new sample, 1 / (g + 1)
constexpr double kOld = 0.7 / 1.7;  // weight of the delayed sample

// A deterministic, speech-like test signal: two tones and a ramp.
std::vector<int16_t> TestSignal(int length, int offset) {
  std::vector<int16_t> x(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) {
    const double n = i + offset;
    x[i] = static_cast<int16_t>(8000.0 * std::sin(0.07 * n) + 3000.0 * std::sin(0.31 * n) + (n / 7 - 900));
  }
  return x;
}

TEST(CombUnitTest, PrepareSizesAndClearsTheHistory) {
  CombUnit unit;
  unit.Prepare(kRate);
  EXPECT_EQ(unit.HistoryLength(), kHistory);
  const std::vector<int16_t> in = TestSignal(kHistory, 0);
  std::vector<float> out(kHistory);
  unit.Process(out.data(), in.data(), kHistory);
  ASSERT_NE(unit.HistoryAt(kHistory - 1), 0.0f);
  unit.Prepare(44100.0f);
  EXPECT_EQ(unit.HistoryLength(), 35280);
  for (int j = 0; j < unit.HistoryLength(); ++j) ASSERT_EQ(unit.HistoryAt(j), 0.0f) << j;
}

TEST(CombUnitTest, ImplausibleRatesLeaveAPassThroughUnit) {
  const std::vector<int16_t> in = TestSignal(kBlock, 0);
  std::vector<float> out(kBlock);
  for (float rate : {0.0f, -16000.0f, 1e12f, NAN}) {
    SCOPED_TRACE(rate);
    CombUnit unit;
    EXPECT_EQ(unit.Prepare(rate), -1);
    EXPECT_EQ(unit.HistoryLength(), 0);
    unit.Process(out.data(), in.data(), kBlock);
    for (int i = 0; i < kBlock; ++i) ASSERT_NEAR(out[i], in[i], 1e-2) << i;
  }
  CombUnit unit;
  EXPECT_EQ(unit.Prepare(48000.0f), 1);
}

TEST(CombUnitTest, DelayShorterThanTheBlockUsesItsOwnDelay) {
  CombUnit unit;
  unit.Prepare(kRate);
  unit.delay = 0.01f;  // 160 samples
  const int d = 160;
  std::vector<float> first(kBlock), second(kBlock);
  const std::vector<int16_t> in1 = TestSignal(kBlock, 0);
  const std::vector<int16_t> in2 = TestSignal(kBlock, kBlock);
  unit.Process(first.data(), in1.data(), kBlock);
  unit.Process(second.data(), in2.data(), kBlock);
  for (int i = 0; i < kBlock; ++i) {
    // The first d samples reach back into the unit's previous output, the
    // rest into this block's input.
    const double delayed1 = i < d ? 0.0 : in1[i - d];
    const double delayed2 = i < d ? first[kBlock - d + i] : in2[i - d];
    ASSERT_NEAR(first[i], kNew * in1[i] + kOld * delayed1, 1e-2) << i;
    ASSERT_NEAR(second[i], kNew * in2[i] + kOld * delayed2, 1e-2) << i;
  }
}

TEST(CombUnitTest, BlockLongerThanTheHistoryKeepsTheLastOutputs) {
  CombUnit unit;
  unit.Prepare(kRate);
  const int n = 20000;
  const std::vector<int16_t> in = TestSignal(n, 0);
  std::vector<float> out(n);
  unit.Process(out.data(), in.data(), n);
  ASSERT_EQ(unit.HistoryLength(), kHistory);
  for (int j = 0; j < kHistory; ++j) {
    ASSERT_EQ(unit.HistoryAt(j), out[n - kHistory + j]) << j;
  }
  // A shorter block then moves the history down by its length.
  std::vector<float> before(kHistory);
  for (int j = 0; j < kHistory; ++j) before[j] = unit.HistoryAt(j);
  std::vector<float> out2(kBlock);
  const std::vector<int16_t> in2 = TestSignal(kBlock, n);
  unit.Process(out2.data(), in2.data(), kBlock);
  for (int j = 0; j < kHistory - kBlock; ++j) {
    ASSERT_EQ(unit.HistoryAt(j), before[j + kBlock]) << j;
  }
  for (int j = 0; j < kBlock; ++j) {
    ASSERT_EQ(unit.HistoryAt(kHistory - kBlock + j), out2[j]) << j;
  }
}

TEST(CombUnitTest, OutOfRangeDelaysStayInsideTheHistory) {
  const std::vector<int16_t> in = TestSignal(kBlock, 0);
  std::vector<float> out(kBlock);
  for (float delay : {-1.0f, 30.0f, NAN, INFINITY}) {
    SCOPED_TRACE(delay);
    CombUnit unit;
    unit.Prepare(kRate);
    unit.delay = delay;
    unit.Process(out.data(), in.data(), kBlock);
    for (float y : out) ASSERT_TRUE(std::isfinite(y));
  }
  // Unprepared: no history at all, so the input passes with unit gain.
  CombUnit bare;
  bare.Process(out.data(), in.data(), kBlock);
  for (int i = 0; i < kBlock; ++i) ASSERT_NEAR(out[i], in[i], 1e-2) << i;
}

// At level 0.5 the 640-sample delay is cut to the 319-sample block, so
// every block mixes its input with the reverb's own previous block.
TEST(ReverbTest, EachBlockMixesWithThePreviousOutputBlock) {
  Reverb reverb;
  reverb.SetLevel(0.5f);
  reverb.Prepare(kRate, kBlock);
  std::vector<int16_t> previous(kBlock, 0);  // silence before the run
  for (int b = 0; b < 4; ++b) {
    const std::vector<int16_t> in = TestSignal(kBlock, b * kBlock);
    std::vector<int16_t> block = in;
    reverb.Process(block.data(), kBlock);
    for (int i = 0; i < kBlock; ++i) {
      // previous[] holds the truncated output; the unit keeps the exact one.
      const double expected = kNew * in[i] + kOld * previous[i];
      ASSERT_NEAR(block[i], expected, 1.5) << "block " << b << " sample " << i;
    }
    previous = block;
  }
}

TEST(ReverbTest, FirstBlockAfterPrepareHasNoDelayedTerms) {
  Reverb reverb;
  reverb.SetLevel(0.5f);
  reverb.Prepare(kRate, kBlock);
  std::vector<int16_t> block = TestSignal(kBlock, 0);
  reverb.Process(block.data(), kBlock);
  // A new run forgets the old one.
  reverb.Prepare(kRate, kBlock);
  const std::vector<int16_t> in = TestSignal(kBlock, 0);
  block = in;
  reverb.Process(block.data(), kBlock);
  for (int i = 0; i < kBlock; ++i) {
    ASSERT_NEAR(block[i], in[i] / 1.7, 1.0) << i;
  }
}

TEST(ReverbTest, LowLevelAt44100CutsTheDelayToTheBlock) {
  const float rate = 44100.0f;
  const int block = 881;
  Reverb reverb;
  reverb.SetLevel(0.0f);  // 25 ms = 1103 samples
  reverb.Prepare(rate, block);
  std::vector<int16_t> first(block, 0);
  first[0] = 17000;
  reverb.Process(first.data(), block);
  std::vector<int16_t> second(block, 0);
  reverb.Process(second.data(), block);
  // The impulse comes back exactly one block later, not 1103 samples later.
  EXPECT_NEAR(first[0], 17000 * kNew, 1.0);
  EXPECT_NEAR(second[0], 17000 * kNew * kOld, 1.0);
  for (int i = 1; i < block; ++i) ASSERT_EQ(second[i], 0) << i;
}

TEST(ReverbTest, LongerBlockThanPreparedLeavesTheRestUntouched) {
  const int n = 1000;
  const std::vector<int16_t> in = TestSignal(n, 0);
  Reverb small, large;
  small.SetLevel(0.3f);
  large.SetLevel(0.3f);
  small.Prepare(kRate, kBlock);
  large.Prepare(kRate, n);
  std::vector<int16_t> a = in, b = in;
  small.Process(a.data(), n);
  large.Process(b.data(), n);
  EXPECT_EQ(std::vector<int16_t>(a.begin(), a.begin() + kBlock),
            std::vector<int16_t>(b.begin(), b.begin() + kBlock));
  EXPECT_EQ(std::vector<int16_t>(a.begin() + kBlock, a.end()),
            std::vector<int16_t>(in.begin() + kBlock, in.end()));
}

TEST(ReverbTest, FullScaleStaysInRangeAndEmptyBlocksAreIdle) {
  Reverb reverb;
  reverb.SetLevel(1.0f);
  reverb.Prepare(kRate, kBlock);
  for (int b = 0; b < 10; ++b) {
    std::vector<int16_t> block(kBlock, b % 2 ? -32768 : 32767);
    reverb.Process(block.data(), kBlock);
    for (int16_t s : block) ASSERT_GE(s, -32767);
  }
  int16_t x = 99;
  reverb.Process(&x, 0);
  EXPECT_EQ(x, 99);
}

}  // namespace
}  // namespace plimo
