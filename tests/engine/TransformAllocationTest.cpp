// Every inverse transform a run can meet, and the frame modification that
// uses them, must run without allocating, as the frame loop must. FFTW
// takes its working memory through the C allocator, which the operator-new
// counter does not see, so these tests count malloc and its kin.

#include <gtest/gtest.h>

#include <complex>
#include <string>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/RandomGenerator.h"
#include "engine/FrameModifier.h"
#include "engine/RunGeometry.h"
#include "params/Equaliser.h"
#include "support/MallocCounter.h"

namespace plimo {
namespace {

constexpr int kRates[] = {8000, 16000, 44100};  // Hz

TEST(TransformAllocation, EveryInverseLengthOfARunTransformsWithoutAllocating) {
  if (!test::MallocCountingAvailable()) GTEST_SKIP() << "no allocation counting in this build";
  for (int rate : kRates) {
    const int bins = FftSizeFor(rate) / 2 + 1;
    std::vector<std::complex<float>> spectrum(static_cast<size_t>(bins), {1.0f, 0.5f});
    std::vector<float> samples(static_cast<size_t>(2 * bins));
    std::string allocating;
    for (int inverseBins = SmallestInverseBinCount(bins); inverseBins <= bins; inverseBins += 2) {
      RealFft inverse(2 * inverseBins - 2, RealFftUse::kBackwardOnly);
      ASSERT_TRUE(inverse.Ready());
      test::StartCountingMalloc();
      inverse.Backward(spectrum.data(), samples.data());
      if (test::StopCountingMalloc() != 0) allocating += " " + std::to_string(inverse.Length());
    }
    EXPECT_TRUE(allocating.empty()) << rate << " Hz, lengths" << allocating;
  }
}

// Pitch factors from 1 to 3 in steps fine enough to meet every inverse
// length, with whisper and the equaliser on, as a run's frames would: a
// live run's frames allocate nothing, not even at a length first met in
// the middle of the run; a file run's allocate nothing once they have met
// every length.
TEST(TransformAllocation, FramesAtEveryPitchFactorAllocateNothing) {
  if (!test::MallocCountingAvailable()) GTEST_SKIP() << "no allocation counting in this build";
  constexpr float kLargestFactor = 3.0f;
  constexpr float kFactorStep = 0.002f;
  for (int rate : kRates) {
    for (InverseTiming timing : {InverseTiming::kAllUpFront, InverseTiming::kOnFirstUse}) {
      Equaliser equaliser;
      equaliser.SetGain(4, 12.0f);
      RandomGenerator random;
      FrameModifier modifier;
      modifier.SetInverseTiming(timing);
      const int frameLength = FftSizeFor(rate) / 2;
      ASSERT_EQ(modifier.Configure(rate, FftSizeFor(rate), LpcOrderFor(rate), frameLength, equaliser, random),
                1);
      std::vector<float> frame(static_cast<size_t>(frameLength));
      auto allFactors = [&] {
        long calls = 0;
        for (float factor = 1.0f; factor <= kLargestFactor; factor += kFactorStep) {
          for (int i = 0; i < frameLength; ++i) frame[i] = static_cast<float>((i * 37 % 101) - 50);
          test::StartCountingMalloc();
          modifier.ModifyFrame(frame.data(), frameLength, factor, 1.0f, 1, 0.5f);
          calls += test::StopCountingMalloc();
        }
        return calls;
      };
      if (timing == InverseTiming::kAllUpFront) {
        EXPECT_EQ(allFactors(), 0) << rate << " Hz, made up front";
      } else {
        EXPECT_GT(allFactors(), 0) << rate << " Hz, made on first use";
        EXPECT_EQ(allFactors(), 0) << rate << " Hz, every length met";
      }
    }
  }
}

}  // namespace
}  // namespace plimo
