// The effects chain over one output block: which effects run, in which
// order, on how many samples, and when the record's settings reach them.

#include "engine/EffectsChain.h"

#include <gtest/gtest.h>

#include <vector>

#include "dsp/RandomGenerator.h"
#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

constexpr int kRate = 16000;  // Hz
constexpr int kBlock = 319;   // 20 ms at 16000 Hz

std::vector<int16_t> Ramp() {
  std::vector<int16_t> block(kBlock);
  for (int i = 0; i < kBlock; ++i) block[i] = static_cast<int16_t>((i - kBlock / 2) * 150);
  return block;
}

class EffectsChainTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(chain.Prepare(kRate, kBlock), 1); }
  VoiceParameters record;
  RandomGenerator random{3};
  EffectsChain chain{record, random};
};

TEST_F(EffectsChainTest, AllSwitchesOffLeaveTheBlockAlone) {
  std::vector<int16_t> block = Ramp();
  chain.ApplyEffects(block.data(), kBlock);
  EXPECT_EQ(block, Ramp());
}

TEST_F(EffectsChainTest, DynamicsRunCompressorExpanderLimiterGaterInThatOrder) {
  record.compressorOn = 1;
  record.expanderOn = 1;
  record.limiterOn = 1;
  record.gaterOn = 1;
  std::vector<int16_t> block = Ramp();
  chain.ApplyEffects(block.data(), kBlock);
  Compressor compressor;
  Expander expander;
  Limiter limiter;
  Gater gater;
  std::vector<int16_t> expected = Ramp();
  compressor.Process(expected.data(), kBlock);
  expander.Process(expected.data(), kBlock);
  limiter.Process(expected.data(), kBlock);
  gater.Process(expected.data(), kBlock);
  EXPECT_EQ(block, expected);
  // The limiter comes after the compressor that raises the samples.
  for (int16_t s : block) EXPECT_LE(std::abs(s), 5250);
}

// The window thread writes a derived threshold during a run; the next block
// is processed with it, the chorus level waits for the next run.
TEST_F(EffectsChainTest, DerivedSettingsReachTheNextBlockAndTheChorusTheNextRun) {
  record.limiterOn = 1;
  std::vector<int16_t> block = Ramp();
  chain.ApplyEffects(block.data(), kBlock);
  EXPECT_EQ(block.front(), -5250);
  record.derivedEffects.limitingThreshold = 1.0f;
  block = Ramp();
  chain.ApplyEffects(block.data(), kBlock);
  EXPECT_EQ(block.front(), -500);

  record.limiterOn = 0;
  record.chorusOn = 1;
  auto chorused = [](EffectsChain& c) {
    std::vector<int16_t> b = Ramp();
    c.ApplyEffects(b.data(), kBlock);
    return b;
  };
  RandomGenerator sameSeed{3}, otherRunSeed{3};
  EffectsChain before(record, sameSeed);
  before.Prepare(kRate, kBlock);
  record.derivedEffects.chorusLevel = 0.5f;
  EffectsChain nextRun(record, otherRunSeed);
  nextRun.Prepare(kRate, kBlock);
  EXPECT_EQ(chorused(chain), chorused(before)) << "the running chain keeps its delays";
  EXPECT_NE(chorused(nextRun), chorused(before));
}

TEST_F(EffectsChainTest, ChorusNeverReadsBeyondAShortBlock) {
  record.chorusOn = 1;
  std::vector<int16_t> block = Ramp();
  const std::vector<int16_t> tail(block.begin() + 100, block.end());
  chain.ApplyEffects(block.data(), 100);
  EXPECT_EQ(std::vector<int16_t>(block.begin() + 100, block.end()), tail);
}

}  // namespace
}  // namespace plimo
