#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "engine/EffectsChain.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

constexpr int kRate = 16000;  // Hz
constexpr int kBlock = 319;   // 20 ms at 16000 Hz
constexpr int kBlocks = 2000;
constexpr int kMaxSettings = 5000000;  // bound on the settings thread's loop

// The settings window moves every effect's slider while a run pushes blocks
// through the whole chain in its fixed order. Nothing may race (a thread-
// sanitised build runs this) and every block stays a valid signal.
TEST(LiveSettingsTest, SettersDuringARunKeepBlocksValid) {
  VoiceParameters record;
  record.reverbOn = 1;
  record.chorusOn = 1;
  record.compressorOn = 1;
  record.expanderOn = 1;
  record.limiterOn = 1;
  record.gaterOn = 1;
  RandomGenerator random(2);
  EffectsChain chain(record, random);
  chain.Prepare(kRate, kBlock);

  std::atomic<bool> started{false};
  std::atomic<bool> done{false};
  std::thread settings([&] {
    VoiceParameters::DerivedEffects& derived = record.derivedEffects;
    for (int i = 0; i < kMaxSettings && !done.load(); ++i) {
      const float t = static_cast<float>(i % 101) / 100.0f;
      derived.reverbLevel = t;
      derived.chorusLevel = 0.5f + 0.5f * t;
      derived.compressionThreshold = t;
      derived.expansionThreshold = 1.0f - t;
      derived.limitingThreshold = t;
      derived.gatingThreshold = t * 0.1f;
      started.store(true);
    }
  });
  while (!started.load()) std::this_thread::yield();

  std::vector<int16_t> block(kBlock);
  for (int b = 0; b < kBlocks; ++b) {
    for (int i = 0; i < kBlock; ++i) {
      block[i] = static_cast<int16_t>(30000.0 * std::sin(0.01 * (b * kBlock + i)));
    }
    chain.ApplyEffects(block.data(), kBlock);
    for (int16_t s : block) {
      ASSERT_GE(s, -10000) << "block " << b;
      ASSERT_LE(s, 10000) << "block " << b;
    }
  }
  done.store(true);
  settings.join();
}

}  // namespace
}  // namespace plimo
