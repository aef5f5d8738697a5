#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "effects/Chorus.h"
#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"
#include "effects/Reverb.h"
#include "dsp/RandomGenerator.h"

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
  Reverb reverb;
  Chorus chorus;
  Compressor compressor;
  Expander expander;
  Limiter limiter;
  Gater gater;
  RandomGenerator random(2);
  reverb.Prepare(kRate, kBlock);
  chorus.Prepare(kBlock, kRate, random);

  std::atomic<bool> started{false};
  std::atomic<bool> done{false};
  std::thread settings([&] {
    for (int i = 0; i < kMaxSettings && !done.load(); ++i) {
      const float t = static_cast<float>(i % 101) / 100.0f;
      reverb.SetLevel(t);
      chorus.SetLevel(0.5f + 0.5f * t);
      compressor.SetThreshold(t, t);
      expander.SetThreshold(1.0f - t);
      limiter.SetThreshold(t);
      gater.SetThreshold(t * 0.1f);
      started.store(true);
    }
  });
  while (!started.load()) std::this_thread::yield();

  std::vector<int16_t> block(kBlock);
  for (int b = 0; b < kBlocks; ++b) {
    for (int i = 0; i < kBlock; ++i) {
      block[i] =
          static_cast<int16_t>(30000.0 * std::sin(0.01 * (b * kBlock + i)));
    }
    reverb.Process(block.data(), kBlock, kRate);
    chorus.Process(block.data(), kBlock);
    compressor.Process(block.data(), kBlock);
    expander.Process(block.data(), kBlock);
    limiter.Process(block.data(), kBlock);
    gater.Process(block.data(), kBlock);
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
