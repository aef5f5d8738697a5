// What every time-domain effect promises the run that owns it: prepared
// once, it processes blocks in place without allocating, stays within the
// sample range, keeps silence silent and starts over on Reset.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "effects/Chorus.h"
#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"
#include "effects/Reverb.h"
#include "support/AllocationCounter.h"

namespace plimo {
namespace {

constexpr float kRate = 16000.0f;  // Hz
constexpr int kBlock = 319;        // 20 ms at 16000 Hz
constexpr int kGuard = 16;         // samples past the block that must stay
constexpr int16_t kGuardValue = 1234;

// A block of a speech-like signal with full-scale peaks (symmetric, so
// that no effect has reason to give -32768), then the guard.
std::vector<int16_t> LoudBlock(int index) {
  std::vector<int16_t> x(kBlock + kGuard, kGuardValue);
  for (int i = 0; i < kBlock; ++i) {
    const double n = index * kBlock + i;
    x[i] = static_cast<int16_t>(std::lround(
        std::clamp(40000.0 * std::sin(0.03 * n) + 6000.0 * std::sin(0.7 * n), -32767.0, 32767.0)));
  }
  return x;
}

template <typename Effect>
class EffectContractTest : public ::testing::Test {
 protected:
  EffectContractTest() {
    if constexpr (std::is_constructible_v<Effect, RandomGenerator&>) {
      effect = std::make_unique<Effect>(random);
    } else {
      effect = std::make_unique<Effect>();
    }
    EXPECT_EQ(effect->Prepare(kRate, kBlock), 1);
  }

  RandomGenerator random{5};
  std::unique_ptr<Effect> effect;
};

using Effects = ::testing::Types<Compressor, Expander, Limiter, Gater, Reverb, Chorus>;
TYPED_TEST_SUITE(EffectContractTest, Effects);

TYPED_TEST(EffectContractTest, SilenceStaysSilent) {
  for (int b = 0; b < 5; ++b) {
    std::vector<int16_t> block(kBlock, 0);
    this->effect->Process(block.data(), kBlock);
    for (int16_t s : block) ASSERT_EQ(s, 0) << "block " << b;
  }
}

TYPED_TEST(EffectContractTest, ProcessesInPlaceWithinTheRangeAndTheBlock) {
  for (int b = 0; b < 10; ++b) {
    std::vector<int16_t> block = LoudBlock(b);
    this->effect->Process(block.data(), kBlock);
    for (int i = 0; i < kBlock; ++i) ASSERT_GE(block[i], -32767) << "block " << b;
    for (int i = kBlock; i < kBlock + kGuard; ++i) ASSERT_EQ(block[i], kGuardValue);
  }
  int16_t untouched = kGuardValue;
  this->effect->Process(&untouched, 0);
  EXPECT_EQ(untouched, kGuardValue);
}

TYPED_TEST(EffectContractTest, AllocatesNothingAfterPrepare) {
  std::vector<int16_t> block = LoudBlock(0);
  const long before = test::AllocationCount();
  for (int b = 0; b < 20; ++b) {
    this->effect->Process(block.data(), kBlock);
    if (b == 10) this->effect->Reset();
  }
  EXPECT_EQ(test::AllocationCount(), before);
}

TYPED_TEST(EffectContractTest, ResetStartsOverAsAfterPrepare) {
  std::vector<std::vector<int16_t>> first;
  for (int b = 0; b < 3; ++b) {
    first.push_back(LoudBlock(b));
    this->effect->Process(first.back().data(), kBlock);
  }
  this->effect->Reset();
  for (int b = 0; b < 3; ++b) {
    std::vector<int16_t> again = LoudBlock(b);
    this->effect->Process(again.data(), kBlock);
    ASSERT_EQ(again, first[static_cast<size_t>(b)]) << "block " << b;
  }
}

}  // namespace
}  // namespace plimo
