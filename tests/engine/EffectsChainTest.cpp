// The effects chain over one output block: which effects run, in which
// order, and on how many samples.

#include "engine/EffectsChain.h"

#include <gtest/gtest.h>

#include <vector>

#include "dsp/RandomGenerator.h"
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
  void SetUp() override {
    RandomGenerator random(3);
    record.reverb.Prepare(kRate, kBlock);
    record.chorus.Prepare(kBlock, kRate, random);
  }
  VoiceParameters record;
};

TEST_F(EffectsChainTest, AllSwitchesOffLeaveTheBlockAlone) {
  std::vector<int16_t> block = Ramp();
  ApplyEffects(record, block.data(), kBlock, kRate);
  EXPECT_EQ(block, Ramp());
}

TEST_F(EffectsChainTest, DynamicsRunCompressorExpanderLimiterGaterInThatOrder) {
  record.compressorOn = 1;
  record.compressor.SetThreshold(0.5f, 0.5f);
  record.expanderOn = 1;
  record.expander.SetThreshold(0.5f);
  record.limiterOn = 1;
  record.limiter.SetThreshold(0.5f);
  record.gaterOn = 1;
  record.gater.SetThreshold(0.5f);
  std::vector<int16_t> block = Ramp();
  ApplyEffects(record, block.data(), kBlock, kRate);
  std::vector<int16_t> expected = Ramp();
  record.compressor.Process(expected.data(), kBlock);
  record.expander.Process(expected.data(), kBlock);
  record.limiter.Process(expected.data(), kBlock);
  record.gater.Process(expected.data(), kBlock);
  EXPECT_EQ(block, expected);
  // The limiter comes after the compressor that raises the samples.
  for (int16_t s : block) EXPECT_LE(std::abs(s), 5250);
}

TEST_F(EffectsChainTest, ChorusNeverReadsBeyondAShortBlock) {
  record.chorusOn = 1;
  std::vector<int16_t> block = Ramp();
  const std::vector<int16_t> tail(block.begin() + 100, block.end());
  ApplyEffects(record, block.data(), 100, kRate);
  EXPECT_EQ(std::vector<int16_t>(block.begin() + 100, block.end()), tail);
}

}  // namespace
}  // namespace plimo
