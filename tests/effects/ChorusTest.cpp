#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "effects/Chorus.h"

namespace plimo {
namespace {

constexpr float kRate = 16000.0f;  // Hz
constexpr int kBlock = 319;        // 20 ms at 16000 Hz

std::vector<float> Delays(const Chorus& chorus) {
  std::vector<float> delays;
  for (int k = 0; k < chorus.unitCount; ++k) {
    delays.push_back(chorus.units[k].delay);
  }
  return delays;
}

std::vector<int16_t> TestSignal(int length) {
  std::vector<int16_t> x(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) {
    x[i] = static_cast<int16_t>(9000.0 * std::sin(0.05 * i) + 4000.0 * std::sin(0.23 * i));
  }
  return x;
}

TEST(ChorusTest, ZeroBlockLengthLeavesBlocksUnchanged) {
  RandomGenerator random(7);
  Chorus chorus(random);
  chorus.Prepare(kRate, kBlock);
  chorus.Prepare(kRate, 0);  // a former run's buffers must not linger
  const std::vector<int16_t> in = TestSignal(kBlock);
  std::vector<int16_t> block = in;
  chorus.Process(block.data(), kBlock);
  EXPECT_EQ(block, in);
  Chorus unprepared(random);
  unprepared.Process(block.data(), kBlock);
  EXPECT_EQ(block, in);
  EXPECT_EQ(chorus.Prepare(0.0f, kBlock), -1);
  chorus.Process(block.data(), kBlock);
  EXPECT_EQ(block, in);
}

TEST(ChorusTest, DelaysComeFromTheLentGenerator) {
  RandomGenerator ra(42), rb(42), rc(43);
  Chorus a(ra), b(rb), c(rc);
  a.Prepare(kRate, kBlock);
  b.Prepare(kRate, kBlock);
  c.Prepare(kRate, kBlock);
  EXPECT_EQ(Delays(a), Delays(b));
  EXPECT_NE(Delays(a), Delays(c));
  // Seven draws per run: the next run of the same generator differs.
  RandomGenerator copy(42);
  for (int k = 0; k < 7; ++k) copy.Next();
  EXPECT_EQ(copy.state, ra.state);
}

TEST(ChorusTest, DelaysStayWithinTheLevelsSpread) {
  for (float level : {0.5f, 0.75f, 1.0f}) {
    SCOPED_TRACE(level);
    RandomGenerator random(1);
    Chorus chorus(random);
    chorus.SetLevel(level);
    for (int run = 0; run < 50; ++run) {
      chorus.Prepare(kRate, kBlock);
      ASSERT_EQ(chorus.unitCount, 10);
      for (int k = 0; k < chorus.unitCount; ++k) {
        const double d = chorus.units[k].delay;
        if (k % 4 == 0) {
          ASSERT_FLOAT_EQ(d, 0.01f) << k;
        } else {
          ASSERT_GE(d, (2.0 - 0.5 * level) * 0.01 - 1e-7) << k;
          ASSERT_LE(d, (2.0 + 0.5 * level) * 0.01 + 1e-7) << k;
        }
        ASSERT_FLOAT_EQ(chorus.units[k].gain, 0.7f);
      }
    }
  }
}

TEST(ChorusTest, LevelActsFromTheNextPrepare) {
  RandomGenerator random(5);
  Chorus chorus(random);
  chorus.Prepare(kRate, kBlock);
  const std::vector<float> before = Delays(chorus);
  chorus.SetLevel(0.5f);
  EXPECT_EQ(Delays(chorus), before);
  EXPECT_FLOAT_EQ(chorus.level, 0.5f);
}

// An impulse at the start of the first block: every unit passes a share of
// it at once, and units 0, 4 and 8 repeat it 10 ms (160 samples) later,
// before any of the longer-delayed units.
TEST(ChorusTest, ImpulseShowsTheTenMillisecondUnits) {
  RandomGenerator random(3);
  Chorus chorus(random);
  chorus.Prepare(kRate, kBlock);
  std::vector<int16_t> block(kBlock, 0);
  block[0] = 10000;
  chorus.Process(block.data(), kBlock);
  const double a = 1.0 / 1.7, b = 0.7 / 1.7;
  EXPECT_NEAR(block[0], 10000 * a, 1.0);
  for (int i = 1; i < 160; ++i) ASSERT_EQ(block[i], 0) << i;
  EXPECT_NEAR(block[160], 3 * 0.1 * 10000 * b, 1.0);
}

TEST(ChorusTest, SteadyInputPassesAtUnitGain) {
  RandomGenerator random(9);
  Chorus chorus(random);
  chorus.Prepare(kRate, kBlock);
  std::vector<int16_t> block;
  for (int b = 0; b < 30; ++b) {
    block.assign(kBlock, 1000);
    chorus.Process(block.data(), kBlock);
  }
  for (int16_t s : block) ASSERT_NEAR(s, 1000, 1);
}

// The blocks here are vectors of exactly the length handed over, so an
// address-sanitised build catches any access beyond them.
TEST(ChorusTest, ShorterAndLongerBlocksStayInBounds) {
  RandomGenerator random(11);
  Chorus chorus(random);
  chorus.Prepare(kRate, kBlock);

  std::vector<int16_t> shorter = TestSignal(100);
  chorus.Process(shorter.data(), 100);
  EXPECT_NE(shorter, TestSignal(100));

  const int n = 2 * kBlock;
  const std::vector<int16_t> in = TestSignal(n);
  std::vector<int16_t> longer = in;
  chorus.Process(longer.data(), n);
  EXPECT_NE(std::vector<int16_t>(longer.begin(), longer.begin() + kBlock),
            std::vector<int16_t>(in.begin(), in.begin() + kBlock));
  EXPECT_EQ(std::vector<int16_t>(longer.begin() + kBlock, longer.end()),
            std::vector<int16_t>(in.begin() + kBlock, in.end()));

  int16_t x = 5;
  chorus.Process(&x, 0);
  EXPECT_EQ(x, 5);
}

}  // namespace
}  // namespace plimo
